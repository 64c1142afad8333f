#include "KXSnapRESTAPI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeHost.h"
#include "FakeHttp.h"

namespace {

using kxfakehttp::Reply;

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kxfakehttp::reset();
    rest_.setLogger(&logger_);
  }

  void configure(PureArrayType type, bool logging = false) {
    rest_.reset();
    rest_.setServer("array1");
    rest_.setUserName("pureuser");
    rest_.setToken("SECRET-TOKEN-42");
    rest_.setCookieFile(type == FLASHARRAY ? "PURE-array1.txt" : "");
    rest_.setContentType("Content-Type: application/json");
    rest_.setUserAgentHeader("User-Agent: KxSnapPureStor");
    rest_.setRelativeBasePath(type == FLASHARRAY ? "api/1.4" : "api");
    rest_.setLogging(logging);
    rest_.setArrayType(type);
  }

  bool login(PureArrayType type, Reply reply = {true, "{\"username\":\"pureuser\"}"}) {
    configure(type);
    kxfakehttp::queueReply(reply);
    std::string response;
    return rest_.connect(type == FLASHARRAY ? "auth/session" : "login",
                         type == FLASHARRAY ? "{ \"api_token\" : \"SECRET-TOKEN-42\" }" : "",
                         response);
  }

  // The events from the last "free" on.
  std::vector<std::string> lastHeaderEvents() {
    std::vector<std::string> all = kxfakehttp::events(), out;
    for (const std::string& e : all) {
      if (e == "free") out.clear();
      if (e.compare(0, 6, "append") == 0 || e == "free") out.push_back(e);
    }
    return out;
  }

  kxtest::FakeSnapInfo logger_;
  KXSnapRESTAPI rest_;
};

TEST_F(TransportTest, RefusesRequestsBeforeConnectAndAfterReset) {
  configure(FLASHARRAY);
  std::string response = "kept";
  EXPECT_FALSE(rest_.get("volume", "", response));
  EXPECT_TRUE(kxfakehttp::requests().empty());
  EXPECT_EQ(response, "kept");
  EXPECT_TRUE(logger_.hasLog("Error:Connect module has to be called before making any queries."));

  ASSERT_TRUE(login(FLASHARRAY));
  kxfakehttp::queueReply({true, "[]"});
  EXPECT_TRUE(rest_.get("volume", "", response));
  rest_.reset();
  EXPECT_FALSE(rest_.get("volume", "", response));
  EXPECT_EQ(kxfakehttp::requests().size(), 2u);
}

TEST_F(TransportTest, LoginPassesTheGateAndIsAPostToTheBasePath) {
  ASSERT_TRUE(login(FLASHARRAY));
  auto requests = kxfakehttp::requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].type, HTTP_REQ_POST);
  EXPECT_EQ(requests[0].url, "https://array1/api/1.4/auth/session");
  EXPECT_EQ(requests[0].body, "{ \"api_token\" : \"SECRET-TOKEN-42\" }");
  EXPECT_TRUE(rest_.isConnected());
  EXPECT_EQ(kxfakehttp::events().front(), "init");
}

TEST_F(TransportTest, FailedLoginLeavesTheClientUnconnected) {
  EXPECT_FALSE(login(FLASHARRAY, {false, "[{\"msg\":\"bad token\"}]"}));
  std::string response;
  EXPECT_FALSE(rest_.get("volume", "", response));
  EXPECT_EQ(kxfakehttp::requests().size(), 1u);
}

TEST_F(TransportTest, InitRefusalSendsNothing) {
  kxfakehttp::setInitResult(false);
  configure(FLASHARRAY, true);
  std::string response;
  EXPECT_FALSE(rest_.connect("auth/session", "{}", response));
  EXPECT_TRUE(kxfakehttp::requests().empty());
  EXPECT_TRUE(logger_.hasLog("Failed to Initialize Curl Library."));
}

TEST_F(TransportTest, FlashArrayHeaderSetIsContentTypeUserAgentCookieFile) {
  ASSERT_TRUE(login(FLASHARRAY));
  kxfakehttp::queueReply({true, "[]"});
  std::string response;
  ASSERT_TRUE(rest_.get("volume", "", response));
  EXPECT_EQ(lastHeaderEvents(),
            (std::vector<std::string>{"free", "append 0 Content-Type: application/json",
                                      "append 0 User-Agent: KxSnapPureStor",
                                      "append 3 PURE-array1.txt"}));
  auto request = kxfakehttp::requests().back();
  EXPECT_EQ(request.headers, (std::vector<std::string>{"Content-Type: application/json",
                                                       "User-Agent: KxSnapPureStor"}));
  EXPECT_EQ(request.cookieKey, "PURE-array1.txt");
}

TEST_F(TransportTest, FlashBladeSendsTheTokenOnlyOnLoginThenTheSessionLine) {
  ASSERT_TRUE(login(FLASHBLADE, {true, "{\"username\":\"pureuser\"}",
                                 {"HTTP/1.1 200 OK\r\n", "X-Auth-Token: sess-77\r\n"}}));
  EXPECT_EQ(lastHeaderEvents(),
            (std::vector<std::string>{"free", "append 0 Accept: application/json", "append 0 ",
                                      "append 0 User-Agent: KxSnapPureStor",
                                      "append 0 api-token: SECRET-TOKEN-42"}));
  EXPECT_EQ(rest_.getSessionTokenLine(), "X-Auth-Token: sess-77");

  rest_.setRelativeBasePath("api/1.5");
  kxfakehttp::queueReply({true, "{}"});
  std::string response;
  ASSERT_TRUE(rest_.get("file-systems", "", response));
  auto requests = kxfakehttp::requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_FALSE(requests[0].hasBody);
  EXPECT_EQ(requests[0].headers,
            (std::vector<std::string>{"Accept: application/json", "User-Agent: KxSnapPureStor",
                                      "api-token: SECRET-TOKEN-42"}));
  EXPECT_EQ(requests[1].headers,
            (std::vector<std::string>{"Accept: application/json", "X-Auth-Token: sess-77",
                                      "User-Agent: KxSnapPureStor"}));
  EXPECT_EQ(requests[1].url, "https://array1/api/1.5/file-systems");
  EXPECT_TRUE(requests[1].cookieKey.empty());
}

TEST_F(TransportTest, FlashBladeLoginWithoutSessionHeaderKeepsTheLineEmpty) {
  ASSERT_TRUE(login(FLASHBLADE));
  EXPECT_EQ(rest_.getSessionTokenLine(), "");
}

TEST_F(TransportTest, MethodCodesMapToRequestTypes) {
  ASSERT_TRUE(login(FLASHARRAY));
  struct Case {
    int method;
    int type;
  } cases[] = {{0, HTTP_REQ_GET}, {1, HTTP_REQ_POST}, {2, HTTP_REQ_PUT},
               {3, HTTP_REQ_DELETE}, {4, HTTP_REQ_PATCH}};
  for (const Case& c : cases) {
    kxfakehttp::queueReply({true, "{}"});
    std::string response;
    EXPECT_TRUE(rest_.sendReq(c.method, "x", "", response));
    EXPECT_EQ(kxfakehttp::requests().back().type, c.type) << c.method;
  }
  std::string response;
  size_t before = kxfakehttp::requests().size();
  EXPECT_FALSE(rest_.sendReq(7, "x", "", response));
  EXPECT_EQ(kxfakehttp::requests().size(), before);
  EXPECT_TRUE(logger_.hasLog("Unsupported request type [7]"));
}

TEST_F(TransportTest, FailedRequestStillDeliversTheErrorBody) {
  ASSERT_TRUE(login(FLASHARRAY));
  kxfakehttp::queueReply({false, "[{\"msg\":\"Volume does not exist.\"}]"});
  std::string response;
  EXPECT_FALSE(rest_.get("volume/v1", "", response));
  EXPECT_EQ(response, "[{\"msg\":\"Volume does not exist.\"}]");
  EXPECT_TRUE(logger_.hasLog("Error while processing the request. URL[https://array1/api/1.4/volume/v1]"));
}

TEST_F(TransportTest, FailedRequestWithBodyLogsTheBody) {
  ASSERT_TRUE(login(FLASHARRAY));
  kxfakehttp::queueReply({false, "[{\"msg\":\"x\"}]"});
  std::string response;
  EXPECT_FALSE(rest_.post("volume", "{\"snap\":true}", response));
  EXPECT_TRUE(logger_.hasLog("Request[{\"snap\":true}]"));
}

TEST_F(TransportTest, EmptyResponseFailsAndLeavesTheResponseAlone) {
  ASSERT_TRUE(login(FLASHARRAY));
  for (bool ok : {true, false}) {
    kxfakehttp::queueReply({ok, ""});
    std::string response = "previous";
    EXPECT_FALSE(rest_.get("array", "", response)) << ok;
    EXPECT_EQ(response, "previous");
  }
  EXPECT_EQ(logger_.logCount("Empty response received for request. URL[https://array1/api/1.4/array]"), 2u);
}

TEST_F(TransportTest, LoginBodyNeverReachesTheLog) {
  configure(FLASHARRAY, true);
  for (Reply reply : {Reply{false, "[{\"msg\":\"no\"}]"}, Reply{false, ""}}) {
    kxfakehttp::queueReply(reply);
    std::string response;
    EXPECT_FALSE(rest_.connect("auth/session", "{ \"api_token\" : \"SECRET-TOKEN-42\" }", response));
  }
  EXPECT_FALSE(logger_.hasLog("SECRET-TOKEN-42"));
  EXPECT_FALSE(logger_.hasLog("Request["));
  EXPECT_FALSE(logger_.hasLog("Empty response"));
}

TEST_F(TransportTest, EchoedSecretsAreMaskedInDiagnosticLines) {
  configure(FLASHBLADE, true);
  kxfakehttp::queueReply({true, "{\"username\":\"pureuser\",\"echo\":\"SECRET-TOKEN-42\"}",
                          {"x-auth-token: sess-secret-9\r\n"}});
  std::string response;
  ASSERT_TRUE(rest_.connect("login", "", response));
  kxfakehttp::queueReply({false, "{\"errors\":[{\"message\":\"sess-secret-9\"}]}"});
  EXPECT_FALSE(rest_.get("x", "", response));
  EXPECT_TRUE(logger_.hasLog("Response for URL[https://array1/api/login]"));
  EXPECT_FALSE(logger_.hasLog("SECRET-TOKEN-42"));
  EXPECT_FALSE(logger_.hasLog("sess-secret-9"));
}

TEST_F(TransportTest, DiagnosticLinesOnlyWithLoggingOn) {
  for (bool logging : {false, true}) {
    logger_.state().log.clear();
    configure(FLASHARRAY, logging);
    kxfakehttp::queueReply({true, "{\"username\":\"pureuser\"}"});
    std::string response;
    ASSERT_TRUE(rest_.connect("auth/session", "{}", response));
    EXPECT_EQ(logger_.hasLog("Computed URL [https://array1/api/1.4/auth/session] to send the request."), logging);
    EXPECT_EQ(logger_.hasLog("Response for URL[https://array1/api/1.4/auth/session]:<<{\"username\":\"pureuser\"}>>"), logging);
  }
}

TEST_F(TransportTest, RefusedHeaderStopsTheSetButNotTheRequest) {
  ASSERT_TRUE(login(FLASHARRAY));
  kxfakehttp::refuseHeader("User-Agent");
  kxfakehttp::queueReply({true, "{}"});
  std::string response;
  EXPECT_TRUE(rest_.get("array", "", response));
  EXPECT_EQ(lastHeaderEvents().back(), "append 0 User-Agent: KxSnapPureStor");
  bool found = false;
  for (const auto& line : logger_.logLines()) {
    if (line.text == "Failed to set CURL HTTPHEADER header - user agent.") {
      found = true;
      EXPECT_EQ(line.level, 1);
      EXPECT_EQ(line.context, "KXSnapRESTAPI::setCommonCurlHeaders");
    }
  }
  EXPECT_TRUE(found);
}

TEST_F(TransportTest, DisconnectClearsConnectedAndSendsDelete) {
  ASSERT_TRUE(login(FLASHARRAY));
  kxfakehttp::queueReply({true, "{}"});
  std::string response;
  EXPECT_TRUE(rest_.disconnect("auth/session", "", response));
  EXPECT_EQ(kxfakehttp::requests().back().type, HTTP_REQ_DELETE);
  EXPECT_FALSE(rest_.get("array", "", response));
}

}  // namespace
