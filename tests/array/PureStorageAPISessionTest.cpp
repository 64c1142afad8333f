#include <gtest/gtest.h>

#include "ClientTestSupport.h"
#include "PUREStorageAPI.h"

namespace {

using kxtest::kToken;
using kxtest::lastRequest;
using kxtest::queue;
using kxtest::requestCount;

class FlashArraySession : public kxtest::ClientTest<PureStorageAPI> {
 protected:
  bool connect() { return connectWith("{\"username\":\"pureuser\"}"); }
};

TEST_F(FlashArraySession, InitializeNeedsAnOSUtilAndALogger) {
  EXPECT_FALSE(client_->initialize("array1", "pureuser", kToken, nullptr, true));
  EXPECT_EQ(client_->getArrayName(), "");
  EXPECT_EQ(client_->getTransport()->getRelativeBasePath(), "");
  PureStorageAPI orphan(nullptr);
  EXPECT_FALSE(orphan.initialize("array1", "pureuser", kToken, &util_, true));
}

TEST_F(FlashArraySession, LoginPostsTheTokenTemplateOnce) {
  ASSERT_TRUE(connect());
  auto login = lastRequest();
  EXPECT_EQ(login.type, HTTP_REQ_POST);
  EXPECT_EQ(login.url, "https://array1/api/1.4/auth/session");
  EXPECT_EQ(login.body, std::string("{ \"api_token\" : \"") + kToken + "\" }");
  EXPECT_EQ(login.cookieKey, "PURE-array1.txt");
  EXPECT_EQ(client_->GetArrayType(), FLASHARRAY);

  queue(true, "{\"array_name\":\"fa1\"}");
  std::string name;
  ASSERT_TRUE(client_->getArrayDisplayName(name));
  EXPECT_FALSE(lastRequest().hasBody);
  EXPECT_EQ(lastRequest().body.find(kToken), std::string::npos);
}

TEST_F(FlashArraySession, LoginFailuresNameTheirCause) {
  struct Case {
    bool ok;
    std::string answer, error;
  } cases[] = {
      {false, "[{\"msg\":\"bad\"}]",
       "Error in connecting to array [array1]. Please ensure that the user name and password are "
       "entered properly."},
      {true, "not json", "Failed in parsing the response [not json] user [pureuser] for array [array1]"},
      {true, "{\"user\":\"pureuser\"}",
       "Failed in finding the username in response [{\"user\":\"pureuser\"}] user [pureuser] for "
       "array [array1]"},
      {true, "{\"username\":7}",
       "Failed in finding the username in response [{\"username\":7}] user [pureuser] for array "
       "[array1]"},
      {true, "{\"username\":\"PureUser\"}",
       "Auth returned wrong user[PureUser] - Expected User[pureuser] for array1"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(client_->initialize("array1", "pureuser", kToken, &util_, false));
    queue(c.ok, c.answer);
    EXPECT_FALSE(client_->connect()) << c.answer;
    EXPECT_EQ(client_->getErrorStr(), c.error);
  }
}

TEST_F(FlashArraySession, DisconnectDeletesTheSessionAndRefusesLaterRequests) {
  ASSERT_TRUE(connect());
  queue(true, "{}");
  EXPECT_TRUE(client_->disconnect());
  EXPECT_EQ(lastRequest().type, HTTP_REQ_DELETE);
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/auth/session");
  size_t before = requestCount();
  std::string name;
  EXPECT_FALSE(client_->getArrayDisplayName(name));
  EXPECT_EQ(requestCount(), before);
}

TEST_F(FlashArraySession, FailedLogoutIsReported) {
  ASSERT_TRUE(connect());
  queue(false, "[{\"msg\":\"x\"}]");
  EXPECT_FALSE(client_->disconnect());
  EXPECT_EQ(client_->getErrorStr(), "Error in disconnecting from array-array1");
}

TEST_F(FlashArraySession, DestroyingAConnectedClientLogsOut) {
  ASSERT_TRUE(connect());
  queue(true, "{}");
  client_.reset();
  EXPECT_EQ(lastRequest().type, HTTP_REQ_DELETE);
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/auth/session");
  EXPECT_EQ(kxfakehttp::clientsAlive(), 0);
}

TEST_F(FlashArraySession, FetchAPIVersionsRestoresTheBasePath) {
  ASSERT_TRUE(connect());
  queue(true, "{\"version\":[\"1.0\",\"1.4\",\"1.7\",3,\"1.13\"]}");
  client_->fetchAPIVersions();
  EXPECT_EQ(lastRequest().url, "https://array1/api/api_version");
  EXPECT_EQ(client_->getAPIVersions(), (std::set<std::string>{"1.0", "1.13", "1.4", "1.7"}));
  EXPECT_EQ(client_->getTransport()->getRelativeBasePath(), "api/1.4");

  queue(false, "[{\"msg\":\"no\"}]");
  client_->fetchAPIVersions();
  EXPECT_TRUE(client_->getAPIVersions().empty());
  EXPECT_EQ(client_->getTransport()->getRelativeBasePath(), "api/1.4");

  queue(true, "{\"version\":\"1.7\"}");
  client_->fetchAPIVersions();
  EXPECT_TRUE(client_->getAPIVersions().empty());
}

TEST_F(FlashArraySession, ErrorMessageComesFromTheFirstElementOfAList) {
  struct Case {
    std::string response;
    bool found;
    std::string msg;
  } cases[] = {
      {"[{\"msg\":\"Volume does not exist.\",\"ctx\":\"v\"}]", true, "Volume does not exist."},
      {"[{\"pure_err_key\":\"k\"},{\"msg\":\"second\"}]", false, ""},
      {"{\"msg\":\"object\"}", false, ""},
      {"[]", false, ""},
      {"[\"text\"]", false, ""},
      {"[{\"msg\":5}]", false, ""},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    std::string msg;
    EXPECT_EQ(client_->getErrorMsgFromResponse(c.response, msg), c.found) << c.response;
    EXPECT_EQ(msg, c.msg);
  }
}

// The token must not appear in any log line or error text, on success and
// failure paths, with diagnostic logging on and off.
TEST_F(FlashArraySession, TokenNeverReachesLogsOrErrorTexts) {
  kxtest::LogCapture hostLog;
  for (bool diag : {false, true}) {
    for (bool loginOk : {false, true}) {
      kxfakehttp::reset();  // replies a refused request left unused
      ASSERT_TRUE(client_->initialize("array1", "pureuser", kToken, &util_, diag));
      // Answers that echo the token, as a careless array might.
      queue(loginOk, std::string("{\"username\":\"pureuser\",\"api_token\":\"") + kToken + "\"}");
      bool connected = client_->connect();
      EXPECT_EQ(connected, loginOk);
      EXPECT_EQ(client_->getErrorStr().find(kToken), std::string::npos);
      queue(false, std::string("[{\"msg\":\"bad token ") + kToken + "\"}]");
      std::string name;
      client_->getArrayDisplayName(name);
      EXPECT_EQ(client_->getErrorStr().find(kToken), std::string::npos) << client_->getErrorStr();
      queue(true, std::string("{\"version\":[\"") + kToken + "\"]}");
      client_->fetchAPIVersions();
      queue(false, "");
      client_->disconnect();
    }
  }
  EXPECT_TRUE(record_->hasLog("Response for URL"));
  EXPECT_EQ(record_->logText().find(kToken), std::string::npos) << record_->logText();
  EXPECT_FALSE(hostLog.contains(kToken));
}

}  // namespace
