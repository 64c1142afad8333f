#include "PureFlashBladeAPI.h"

#include <gtest/gtest.h>

#include "ClientTestSupport.h"

namespace {

using kxtest::kToken;
using kxtest::lastRequest;
using kxtest::queue;
using kxtest::requestCount;

class FlashBlade : public kxtest::ClientTest<PureFlashBladeAPI> {
 protected:
  bool connect() {
    return connectWith("{\"username\":\"pureuser\"}", false, {"x-auth-token: sess-1\r\n"});
  }
  static PS_SnapInfo snap(const char* fs, const char* name) {
    PS_SnapInfo s;
    s.volName = fs;
    s.snapName = name;
    return s;
  }
  bool hasHeaderPrefix(const kxfakehttp::Request& r, const std::string& prefix) {
    for (const std::string& h : r.headers) {
      if (h.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }
};

TEST_F(FlashBlade, TokenHeaderOnlyOnLoginThenTheSessionToken) {
  ASSERT_TRUE(connect());
  auto login = lastRequest();
  EXPECT_EQ(login.url, "https://array1/api/login");
  EXPECT_FALSE(login.hasBody);
  EXPECT_TRUE(hasHeaderPrefix(login, std::string("api-token: ") + kToken));
  EXPECT_FALSE(hasHeaderPrefix(login, "x-auth-token"));
  EXPECT_EQ(client_->getTransport()->getRelativeBasePath(), "api/1.5");
  EXPECT_TRUE(record_->hasLog("Connection succeeded for array [array1]"));

  queue(true, "{\"items\":[]}");
  bool exists = true;
  PS_SnapInfo s = snap("fs1", "fs1.S");
  ASSERT_TRUE(client_->checkIfSnapExistsOrNot(s, exists));
  auto later = lastRequest();
  EXPECT_TRUE(hasHeaderPrefix(later, "x-auth-token: sess-1"));
  EXPECT_FALSE(hasHeaderPrefix(later, "api-token"));
  EXPECT_EQ(later.url, "https://array1/api/1.5/file-system-snapshots?names_or_sources=fs1.S");
}

TEST_F(FlashBlade, ASecondSessionLogsInWithTheTokenAgain) {
  ASSERT_TRUE(connect());
  queue(true, "{}");
  ASSERT_TRUE(client_->disconnect());
  ASSERT_TRUE(connect());
  auto login = lastRequest();
  EXPECT_EQ(login.url, "https://array1/api/login");
  EXPECT_TRUE(hasHeaderPrefix(login, std::string("api-token: ") + kToken));
  EXPECT_FALSE(hasHeaderPrefix(login, "x-auth-token"));
}

TEST_F(FlashBlade, LoginFailures) {
  ASSERT_TRUE(client_->initialize("array1", "pureuser", kToken, &util_, false));
  queue(true, "{\"username\":\"PUREUSER\"}");
  EXPECT_FALSE(client_->connect());
  EXPECT_EQ(client_->getErrorStr(),
            "Auth returned wrong user[PUREUSER] - Expected User[pureuser] from array [array1]");
  EXPECT_EQ(client_->getTransport()->getRelativeBasePath(), "api/1.5");
  queue(true, "{}");
  EXPECT_FALSE(client_->connect());
  EXPECT_NE(client_->getErrorStr().find("username"), std::string::npos);
  queue(false, "{\"errors\":[{\"message\":\"bad\"}]}");
  EXPECT_FALSE(client_->connect());
  EXPECT_EQ(client_->getErrorStr(),
            "Error in connecting to Pure FlashBlade [array1]. Please ensure that the user name and "
            "password are entered properly.");
  EXPECT_EQ(client_->getTransport()->getRelativeBasePath(), "api/1.5");
}

TEST_F(FlashBlade, LogoutAcceptsAnEmptyAnswer) {
  for (auto [ok, body, result] : {std::tuple<bool, const char*, bool>{true, "{}", true},
                                  {false, "", true},
                                  {false, "{\"errors\":[{\"message\":\"x\"}]}", false}}) {
    ASSERT_TRUE(connect());
    queue(ok, body);
    EXPECT_EQ(client_->disconnect(), result) << body;
    EXPECT_EQ(lastRequest().url, "https://array1/api/logout");
    EXPECT_EQ(lastRequest().type, HTTP_REQ_POST);
  }
  EXPECT_EQ(client_->getErrorStr(), "Error in disconnecting from array- [array1]");
}

TEST_F(FlashBlade, SerialLookupIsNotSupported) {
  ASSERT_TRUE(connect());
  size_t before = requestCount();
  std::string name = "kept";
  EXPECT_FALSE(client_->getVolumeNameUsingSerialNumber("ABC", name));
  EXPECT_EQ(name, "kept");
  EXPECT_EQ(client_->getErrorStr(), "");
  EXPECT_EQ(requestCount(), before);
  EXPECT_EQ(client_->GetArrayType(), FLASHBLADE);
}

TEST_F(FlashBlade, FileSystemCheck) {
  ASSERT_TRUE(connect());
  struct Case {
    bool ok;
    std::string answer;
    bool result, exists;
  } cases[] = {
      {true, "{\"items\":[{\"name\":\"fs 1&x\"}]}", true, true},
      // Filtered out (not exported over NFS): a success that lists nothing.
      {true, "{\"items\":[],\"pagination_info\":{}}", true, false},
      {true, "{\"items\":[\"fs 1&x\"]}", true, false},
      {true, "[]", false, false},
      {false, "{\"errors\":[{\"message\":\"File system does not exist.\"}]}", true, false},
      {false, "{\"errors\":[]}", false, false},
      {false, "<html>", false, false},
  };
  for (const Case& c : cases) {
    queue(c.ok, c.answer);
    bool exists = !c.exists;
    std::string serial = "kept";
    EXPECT_EQ(client_->checkIfVolWithSourceNameExists("fs 1&x", "", exists, serial), c.result);
    EXPECT_EQ(exists, c.exists);
    EXPECT_EQ(serial, "kept");
    EXPECT_EQ(lastRequest().url,
              "https://array1/api/1.5/file-systems?filter=nfs.enabled='true'&names=fs%201%26x");
  }
}

TEST_F(FlashBlade, NfsDataInterface) {
  ASSERT_TRUE(connect());
  const std::string answer =
      "{\"items\":[{\"address\":\"10.0.0.5\",\"services\":[\"replication\"]},"
      "{\"address\":\"10.0.0.6\",\"services\":[\"data\"]}]}";
  queue(true, answer);
  EXPECT_EQ(client_->CheckIfNFSNetworkInterfaceExists("10.0.0.6"), 1);
  queue(true, answer);
  EXPECT_EQ(client_->CheckIfNFSNetworkInterfaceExists("10.0.0.5"), 0);
  EXPECT_EQ(client_->getErrorStr().rfind("PureFlashBladeAPI::CheckIfNFSNetworkInterfaceExists: Did not find the network interface [10.0.0.5]", 0), 0u);
  queue(true, "{\"items\":[{\"services\":[\"data\"]}]}");
  EXPECT_EQ(client_->CheckIfNFSNetworkInterfaceExists("10.0.0.6"), 0);
  EXPECT_NE(client_->getErrorStr().find("unexpected content"), std::string::npos);
  queue(true, "{\"pagination_info\":{}}");
  EXPECT_EQ(client_->CheckIfNFSNetworkInterfaceExists("10.0.0.6"), 0);
}

TEST_F(FlashBlade, CreateSnapshotsOnePostPerFileSystem) {
  ASSERT_TRUE(connect());
  std::vector<PS_SnapInfo> snaps{snap("fs1", ""), snap("fs2", "")};
  queue(true, "{\"items\":[{\"name\":\"fs1.S\",\"source\":\"fs1\"}]}");
  queue(true, "{\"items\":[{\"name\":\"fs2.S\",\"source\":\"fs2\"}]}");
  ASSERT_TRUE(client_->createSnap(snaps, "S\"q"));
  EXPECT_EQ(snaps[0].snapName, "fs1.S");
  EXPECT_EQ(snaps[1].snapName, "fs2.S");
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.5/file-system-snapshots?sources=fs2");
  EXPECT_EQ(lastRequest().body, "{\"suffix\": \"S\\\"q\"}");
}

TEST_F(FlashBlade, CreateStopsAtTheFirstFailure) {
  ASSERT_TRUE(connect());
  struct Case {
    std::string answer, errorStart;
  } cases[] = {
      {"{\"items\":[{\"name\":\"a\",\"source\":\"fs1\"},{\"name\":\"b\",\"source\":\"fs1\"}]}",
       "Snap creation failed. More than one snaps returned in response"},
      {"{\"items\":[{\"name\":\"fs1.S\"}]}", "Source not found in snap create response["},
      {"{\"items\":[]}", "createSnap: unexpected content"},
      {"{}", "Snap Creation failed. No snaps returned from array [array1]"},
  };
  for (const Case& c : cases) {
    std::vector<PS_SnapInfo> snaps{snap("fs1", ""), snap("fs2", "")};
    queue(true, c.answer);
    size_t before = requestCount();
    EXPECT_FALSE(client_->createSnap(snaps, "S"));
    EXPECT_EQ(requestCount() - before, 1u);
    EXPECT_EQ(client_->getErrorStr().rfind(c.errorStart, 0), 0u) << client_->getErrorStr();
  }
}

TEST_F(FlashBlade, CheckDestroyEradicate) {
  ASSERT_TRUE(connect());
  PS_SnapInfo s = snap("fs1", "fs1.S");
  const char found[] = "{\"items\":[{\"name\":\"fs1.S\",\"source\":\"fs1\"}]}";

  queue(false, "{\"errors\":[{\"message\":\"File system does not exist.\"}]}");
  bool exists = true;
  EXPECT_TRUE(client_->checkIfSnapExistsOrNot(s, exists));
  EXPECT_FALSE(exists);

  queue(true, found);
  queue(false, "{\"errors\":[{\"message\":\"Snapshot has been destroyed.\"}]}");
  EXPECT_TRUE(client_->destroySnap(s));
  EXPECT_TRUE(record_->hasLog("Snapshot is already destroyed"));
  EXPECT_EQ(lastRequest().type, HTTP_REQ_PATCH);
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.5/file-system-snapshots?name=fs1.S");
  EXPECT_EQ(lastRequest().body, "{\"destroyed\" : true}");

  queue(true, found);
  queue(true, "{\"items\":[{\"name\":\"fs1.S\",\"destroyed\":false}]}");
  EXPECT_FALSE(client_->destroySnap(s));
  EXPECT_EQ(client_->getErrorStr(), "");

  queue(true, found);
  queue(false, "");
  bool flag = true;
  EXPECT_TRUE(client_->eradicateSnap(s, flag));
  EXPECT_TRUE(flag);
  EXPECT_EQ(lastRequest().type, HTTP_REQ_DELETE);
  EXPECT_FALSE(lastRequest().hasBody);

  queue(true, "{\"items\":[]}");
  size_t before = requestCount();
  EXPECT_TRUE(client_->eradicateSnap(s, flag));
  EXPECT_EQ(requestCount() - before, 1u);
  EXPECT_EQ(client_->getErrorStr(), "Snap [fs1.S] does not exist for volume [fs1] on array [array1]");
}

TEST_F(FlashBlade, TokenNeverReachesLogsOrErrorTexts) {
  kxtest::LogCapture hostLog;
  for (bool diag : {false, true}) {
    ASSERT_TRUE(connectWith(std::string("{\"username\":\"pureuser\",\"t\":\"") + kToken + "\"}",
                            diag, {"x-auth-token: sess-1\r\n"}));
    queue(false, std::string("{\"errors\":[{\"message\":\"") + kToken + "\"}]}");
    bool exists = false;
    std::string serial;
    client_->checkIfVolWithSourceNameExists("fs1", "", exists, serial);
    EXPECT_EQ(client_->getErrorStr().find(kToken), std::string::npos);
    queue(false, std::string("oops ") + kToken);
    client_->disconnect();
    EXPECT_EQ(client_->getErrorStr().find(kToken), std::string::npos);
  }
  EXPECT_EQ(record_->logText().find(kToken), std::string::npos) << record_->logText();
  EXPECT_FALSE(hostLog.contains(kToken));
}

}  // namespace
