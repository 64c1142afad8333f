#include <gtest/gtest.h>

#include "ClientTestSupport.h"
#include "PUREStorageAPI.h"

namespace {

using kxtest::lastRequest;
using kxtest::queue;
using kxtest::requestCount;

class FlashArraySnapshots : public kxtest::ClientTest<PureStorageAPI> {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    ASSERT_TRUE(connectWith("{\"username\":\"pureuser\"}"));
  }
  static std::vector<PS_SnapInfo> volumes(std::initializer_list<const char*> names) {
    std::vector<PS_SnapInfo> out;
    for (const char* n : names) {
      PS_SnapInfo s;
      s.volName = n;
      out.push_back(s);
    }
    return out;
  }
  static PS_SnapInfo snap(const char* vol, const char* name, const char* serial) {
    PS_SnapInfo s;
    s.volName = vol;
    s.snapName = name;
    s.snapSerial = serial;
    return s;
  }
};

TEST_F(FlashArraySnapshots, CreateBodyListsTheVolumesInRecordOrder) {
  struct Case {
    std::vector<PS_SnapInfo> snaps;
    std::string body;
  } cases[] = {
      {volumes({"a", "b", "c"}),
       "{ \"snap\" : true, \"source\": [\"a\", \"b\", \"c\" ], \"suffix\" : \"SP-2-7-99\" }"},
      {volumes({"a"}), "{ \"snap\" : true, \"source\": [\"a\" ], \"suffix\" : \"SP-2-7-99\" }"},
      {{}, "{ \"snap\" : true, \"source\": [], \"suffix\" : \"SP-2-7-99\" }"},
      {volumes({"q\"x", "b\\s"}),
       "{ \"snap\" : true, \"source\": [\"q\\\"x\", \"b\\\\s\" ], \"suffix\" : \"SP-2-7-99\" }"},
  };
  for (const Case& c : cases) {
    std::string body;
    buildJSONBodyForSnapCreate(c.snaps, "SP-2-7-99", body);
    EXPECT_EQ(body, c.body);
  }
}

TEST_F(FlashArraySnapshots, CreateFillsEachRecordFromItsSourceElement) {
  auto snaps = volumes({"a", "b", "c"});
  queue(true,
        "[{\"name\":\"c.S\",\"serial\":\"C1\",\"source\":\"c\"},"
        "{\"name\":\"a.S\",\"serial\":\"A1\",\"source\":\"a\"},"
        "{\"name\":\"b.S\",\"serial\":\"B1\",\"source\":\"b\"}]");
  ASSERT_TRUE(client_->createSnap(snaps, "S"));
  EXPECT_EQ(lastRequest().type, HTTP_REQ_POST);
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/volume");
  EXPECT_EQ(snaps[0].snapName, "a.S");
  EXPECT_EQ(snaps[1].snapSerial, "B1");
  EXPECT_EQ(snaps[2].snapName, "c.S");
}

TEST_F(FlashArraySnapshots, CreateWithUnknownOrRepeatedSources) {
  auto snaps = volumes({"a", "b"});
  queue(true,
        "[{\"name\":\"a.1\",\"serial\":\"A1\",\"source\":\"a\"},"
        "{\"name\":\"x.S\",\"serial\":\"X1\",\"source\":\"x\"},"
        "{\"name\":\"a.2\",\"serial\":\"A2\",\"source\":\"a\"},"
        "{\"name\":\"b.S\",\"serial\":\"B1\",\"source\":\"b\"}]");
  EXPECT_FALSE(client_->createSnap(snaps, "S"));
  EXPECT_EQ(client_->getErrorStr(), "Source volume[x] not found in the passed-in list");
  EXPECT_EQ(snaps[0].snapName, "a.2");
  EXPECT_EQ(snaps[0].snapSerial, "A2");
  EXPECT_EQ(snaps[1].snapName, "b.S");
}

TEST_F(FlashArraySnapshots, CreateRejectsIncompleteAnswers) {
  struct Case {
    bool ok;
    std::string answer, error;
  } cases[] = {
      {false, "[{\"msg\":\"x\"}]", "Error in creating snaps in array-array1"},
      {true, "[]", "Snap Creation failed. No snaps returned for array1"},
      {true, "{\"name\":\"a\"}", "Snap Creation failed. No snaps returned for array1"},
      {true, "[{\"serial\":\"1\",\"source\":\"a\"}]",
       "Name not found in snap create response[[{\"serial\":\"1\",\"source\":\"a\"}]] for array1"},
      {true, "[{\"name\":\"a.S\",\"source\":\"a\"}]",
       "Serial not found in snap create response[[{\"name\":\"a.S\",\"source\":\"a\"}]] for array1"},
      {true, "[{\"name\":\"a.S\",\"serial\":\"1\"}]",
       "Source not found in snap create response[[{\"name\":\"a.S\",\"serial\":\"1\"}]] for array1"},
      {true, "[{\"name\":\"\",\"serial\":\"\",\"source\":\"a\"}]",
       "Name is empty in snap create response[[{\"name\":\"\",\"serial\":\"\",\"source\":\"a\"}]] "
       "for array1"},
      {true, "[{\"name\":\"a.S\",\"serial\":\"1\",\"source\":\"\"}]",
       "Source is empty in snap create response[[{\"name\":\"a.S\",\"serial\":\"1\",\"source\":\"\"}]] "
       "for array1"},
  };
  for (const Case& c : cases) {
    auto snaps = volumes({"a"});
    queue(c.ok, c.answer);
    EXPECT_FALSE(client_->createSnap(snaps, "S")) << c.answer;
    EXPECT_EQ(client_->getErrorStr(), c.error);
    EXPECT_EQ(snaps[0].snapName, "");
  }
}

TEST_F(FlashArraySnapshots, ElementThatIsNotAnObjectFailsWithoutEndingTheProcess) {
  auto snaps = volumes({"a"});
  queue(true, "[\"a.S\"]");
  EXPECT_FALSE(client_->createSnap(snaps, "S"));
  EXPECT_NE(client_->getErrorStr().find("unexpected content in response [[\"a.S\"]]"),
            std::string::npos)
      << client_->getErrorStr();
}

TEST_F(FlashArraySnapshots, ExistenceCheckAnswers) {
  const std::string one = "[{\"name\":\"v.S\",\"source\":\"v\",\"serial\":\"S1\"}]";
  struct Case {
    bool ok;
    std::string answer;
    bool result, exists;
    std::string error;
  } cases[] = {
      {true, one, true, true, ""},
      {true, "[{\"name\":\"v.S\",\"source\":\"v\",\"serial\":\"OTHER\"}]", true, false, ""},
      {true, "[{\"name\":\"v.T\",\"source\":\"v\",\"serial\":\"S2\"}," + one.substr(1), true, true, ""},
      {false, "[{\"msg\":\"Volume does not exist.\"}]", true, false, ""},
      {false, "[{\"msg\":\"No such volume or snapshot.\"}]", true, false, ""},
      {false, "[{\"msg\":\"Volume does not exist\"}]", false, true,
       "PureStorageAPI::checkIfSnapExistsOrNot: error msg [Volume does not exist] for volume[v] in "
       "array array1"},
      {false, "<html>", false, true,
       "PureStorageAPI::checkIfSnapExistsOrNot: error in parsing response [<html>] for volume[v] "
       "in array array1"},
      {true, "[]", true, false,
       "PureStorageAPI::checkIfSnapExistsOrNot:No snaps exist for volume [ v] in array array1"},
      {true, "[{\"name\":\"v.S\",\"serial\":\"S1\"}]", true, true,
       "PureStorageAPI::checkIfSnapExistsOrNot:Snap Source Volume Name not found in response "
       "[[{\"name\":\"v.S\",\"serial\":\"S1\"}]] for volume v in array array1"},
  };
  for (const Case& c : cases) {
    PS_SnapInfo s = snap("v", "v.S", "S1");
    queue(c.ok, c.answer);
    bool exists = !c.exists;
    EXPECT_EQ(client_->checkIfSnapExistsOrNot(s, exists), c.result) << c.answer;
    EXPECT_EQ(exists, c.exists) << c.answer;
    EXPECT_EQ(client_->getErrorStr(), c.error);
    EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/volume/v?snap=true");
  }
}

TEST_F(FlashArraySnapshots, NamesArePercentEncodedInPaths) {
  PS_SnapInfo s = snap("db 1&names=x", "db 1&names=x.S", "S1");
  queue(true, "[]");
  bool exists = false;
  ASSERT_TRUE(client_->checkIfSnapExistsOrNot(s, exists));
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/volume/db%201%26names%3Dx?snap=true");
  queue(true, "{\"name\":\"db 1&names=x.S\"}");
  ASSERT_TRUE(client_->eradicateSnap(s, exists));
  EXPECT_EQ(lastRequest().url,
            "https://array1/api/1.4/volume/db%201%26names%3Dx.S?eradicate=true");
}

TEST_F(FlashArraySnapshots, DestroyChecksExistenceFirst) {
  PS_SnapInfo s = snap("v", "v.S", "S1");
  queue(true, "[{\"name\":\"v.S\",\"source\":\"v\",\"serial\":\"OTHER\"}]");
  EXPECT_FALSE(client_->destroySnap(s));
  EXPECT_EQ(client_->getErrorStr(), "Snap [v.S] does not exist of volume [v] in array array1");
  EXPECT_EQ(lastRequest().type, HTTP_REQ_GET);

  queue(false, "garbage");
  EXPECT_FALSE(client_->destroySnap(s));
  EXPECT_EQ(client_->getErrorStr(),
            "Error in calling checkIfSnapExistsOrNot for snap [v.S] of volume [v] in array array1");

  queue(true, "[{\"name\":\"v.S\",\"source\":\"v\",\"serial\":\"S1\"}]");
  queue(true, "{\"name\":\"v.S\"}");
  EXPECT_TRUE(client_->destroySnap(s));
  EXPECT_EQ(lastRequest().type, HTTP_REQ_DELETE);
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/volume/v.S");
}

TEST_F(FlashArraySnapshots, EradicateReportsADisabledEradication) {
  struct Case {
    bool ok;
    std::string answer;
    bool result, disabled;
    std::string error;
  } cases[] = {
      {true, "{\"name\":\"v.S\"}", true, false, ""},
      {false, "[{\"msg\":\"Eradication is disabled.\"}]", false, true,
       "Error in deleting v.S in array array1"},
      {false, "[{\"msg\":\"Volume has been destroyed.\"}]", false, false,
       "Error in deleting v.S in array array1"},
      {true, "{}", false, false, "Empty response for delete request for [ v.S] in array array1"},
      {true, "{\"name\":\"\"}", false, false,
       "Name is empty in delete response [{\"name\":\"\"}] for [v.S] in array array1"},
      {true, "{\"name\":\"w.S\"}", false, false,
       "Snap Delete Failed - Name [v.S]. Got Snap Name [w.S] in delete response "
       "[{\"name\":\"w.S\"}] for [v.S] in array array1"},
  };
  for (const Case& c : cases) {
    PS_SnapInfo s = snap("v", "v.S", "S1");
    queue(c.ok, c.answer);
    bool disabled = !c.disabled;
    EXPECT_EQ(client_->eradicateSnap(s, disabled), c.result) << c.answer;
    EXPECT_EQ(disabled, c.disabled) << c.answer;
    EXPECT_EQ(client_->getErrorStr(), c.error);
  }
}

TEST_F(FlashArraySnapshots, RenameAndSerialLookup) {
  queue(true, "{\"name\":\"new\"}");
  EXPECT_TRUE(client_->renameSnap("old", "new"));
  EXPECT_EQ(lastRequest().type, HTTP_REQ_PUT);
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/volume/old");
  EXPECT_EQ(lastRequest().body, "{ \"name\" : \"new\" }");
  queue(true, "{\"name\":\"other\"}");
  EXPECT_FALSE(client_->renameSnap("old", "new"));
  EXPECT_EQ(client_->getErrorStr(),
            "Snap rename failed old snap name[old] new snap name[new] in array array1");

  std::string serial;
  queue(true, "[{\"serial\":\"ABC\"},{\"serial\":\"DEF\"}]");
  EXPECT_TRUE(client_->getSnapSerialNum("v.S", serial));
  EXPECT_EQ(serial, "ABC");
  queue(true, "[{\"name\":\"v.S\"}]");
  EXPECT_FALSE(client_->getSnapSerialNum("v.S", serial));
  EXPECT_EQ(client_->getErrorStr(), "PureStorageAPI::getSnapSerialNum:serial not found in response.");
  queue(true, "[]");
  EXPECT_FALSE(client_->getSnapSerialNum("v.S", serial));
  EXPECT_EQ(client_->getErrorStr(),
            "PureStorageAPI::getSnapSerialNum:Empty response received while getting snap details.");
}

}  // namespace
