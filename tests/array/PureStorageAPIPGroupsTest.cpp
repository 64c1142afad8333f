#include <gtest/gtest.h>

#include "ClientTestSupport.h"
#include "PUREStorageAPI.h"

namespace {

using kxtest::lastRequest;
using kxtest::queue;

class FlashArrayPGroups : public kxtest::ClientTest<PureStorageAPI> {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    ASSERT_TRUE(connectWith("{\"username\":\"pureuser\"}"));
  }
};

TEST(PGroupBodies, Templates) {
  std::string body;
  buildJSONBodyForCreateProtectionGroup({"a", "b"}, "T", body);
  EXPECT_EQ(body, "{ \"vollist\": [\"a\", \"b\" ], \"targetlist\" : [\"T\" ]}");
  struct Case {
    std::vector<std::string> add, remove;
    std::string body;
  } cases[] = {
      {{}, {}, "{}"},
      {{"a"}, {}, "{ \"addvollist\" : [ \"a\" ]}"},
      {{}, {"b", "c"}, "{ \"remvollist\" : [ \"b\", \"c\" ]}"},
      {{"a"}, {"b"}, "{ \"addvollist\" : [ \"a\" ], \"remvollist\" : [ \"b\" ]}"},
  };
  for (const Case& c : cases) {
    buildJSONBodyForUpdateProtectionGroup(c.add, c.remove, body);
    EXPECT_EQ(body, c.body);
  }
  buildJSONBodyForPrGroupSnapCreate("G", "S", body);
  EXPECT_EQ(body, "{ \"snap\":true, \"replicate_now\":true,\"source\": [ \"G\"], \"suffix\":\"S\"}");
}

TEST_F(FlashArrayPGroups, LookUpReadsVolumesAndCompleteTargets) {
  queue(true, "{\"name\":\"G\",\"source\":\"fa1\",\"volumes\":[\"a\",\"b\"],\"targets\":"
              "[{\"name\":\"fa2\",\"allowed\":true},{\"name\":\"fa3\"}]}");
  bool exists = false;
  PS_ProtectionGroup group;
  ASSERT_TRUE(client_->checkIfPrGroupExists("G", exists, group));
  EXPECT_TRUE(exists);
  EXPECT_EQ(group.source, "fa1");
  EXPECT_EQ(group.volumes, (std::vector<std::string>{"a", "b"}));
  ASSERT_EQ(group.targets.size(), 1u);
  EXPECT_EQ(group.targets[0].name, "fa2");

  queue(false, "[{\"msg\":\"Protection group does not exist.\"}]");
  ASSERT_TRUE(client_->checkIfPrGroupExists("G", exists, group));
  EXPECT_FALSE(exists);
  EXPECT_TRUE(group.volumes.empty());
}

TEST_F(FlashArrayPGroups, GroupSnapshots) {
  queue(true, "[{\"name\":\"G.S\",\"source\":\"G\"},{\"name\":\"G.T\"}]");
  std::string name;
  ASSERT_TRUE(client_->createPrGroupSnap("G", "S", name));
  EXPECT_EQ(name, "G.S");
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/pgroup");

  queue(false, "[{\"msg\":\"Protection group snapshot has been destroyed.\"}]");
  bool exists = true;
  ASSERT_TRUE(client_->checkIfPrGroupSnapExistsOrNot("G.S", exists));
  EXPECT_FALSE(exists);

  queue(false, "[{\"msg\":\"Eradication is disabled.\"}]");
  bool disabled = false;
  EXPECT_FALSE(client_->eradicateProtectionGroupSnap("G.S", disabled));
  EXPECT_TRUE(disabled);
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/pgroup/G.S?eradicate=true");
  EXPECT_EQ(client_->getErrorStr(), "Error in deleting G.S");
}

}  // namespace
