// Sessions of both array kinds: login, refusal without a live session,
// logout, and the API version bases.
#include <gtest/gtest.h>

#include "SimClient.h"

namespace simtest {
namespace {

class SessionsTest : public ::testing::Test {
 protected:
  SimFixture sim_;
};

TEST_F(SessionsTest, FlashArrayLoginAnswersUserAndSetsCookie) {
  auto c = sim_.client("fa1");
  Answer a = c->faLogin("tok-fa1");
  ASSERT_EQ(a.status, 200);
  EXPECT_EQ(a.json()["username"], "pureuser");
  EXPECT_EQ(c->send("GET", "/api/1.4/volume").status, 200);
}

TEST_F(SessionsTest, FlashArrayRefusesUnknownTokenAndRequestsWithoutSession) {
  auto c = sim_.client("fa1");
  Answer bad = c->faLogin("tok-fa2");  // a token of another array
  EXPECT_EQ(bad.status, 400);
  EXPECT_FALSE(bad.msg().empty());
  for (const char* target : {"/api/1.4/volume", "/api/1.7/volume?filter=serial='X'",
                             "/api/1.13/pod/pod1", "/api/1.4/host"}) {
    EXPECT_EQ(c->send("GET", target).status, 401) << target;
  }
}

TEST_F(SessionsTest, FlashArrayLogoutEndsTheSession) {
  auto c = sim_.loggedIn("fa1");
  EXPECT_EQ(c->send("DELETE", "/api/1.4/auth/session").status, 200);
  EXPECT_EQ(c->send("GET", "/api/1.4/volume").status, 401);
  EXPECT_EQ(c->send("DELETE", "/api/1.4/auth/session").status, 401);
}

TEST_F(SessionsTest, OneSessionServesEveryListedVersionOnly) {
  auto c = sim_.loggedIn("fa1");
  EXPECT_EQ(c->send("GET", "/api/1.4/array").status, 200);
  EXPECT_EQ(c->send("GET", "/api/1.7/array").status, 200);
  EXPECT_EQ(c->send("GET", "/api/1.13/array").status, 200);
  EXPECT_EQ(c->send("GET", "/api/1.19/array").status, 450);  // not in its api_versions
  Answer v = c->send("GET", "/api/api_version");
  ASSERT_EQ(v.status, 200);
  EXPECT_EQ(v.json()["version"], nlohmann::json({"1.4", "1.7", "1.13"}));
}

TEST_F(SessionsTest, ApiVersionNeedsNoSession) {
  auto c = sim_.client("fa2");
  Answer v = c->send("GET", "/api/api_version");
  ASSERT_EQ(v.status, 200);
  EXPECT_EQ(v.json()["version"].size(), 20u);  // 1.0 ... 1.19 by default
}

TEST_F(SessionsTest, FlashBladeLoginTokenHeaderAndLogout) {
  auto c = sim_.client("fb1");
  EXPECT_EQ(c->send("GET", "/api/1.5/file-systems").status, 403);
  Answer bad = c->fbLogin("tok-fa1");
  EXPECT_EQ(bad.status, 401);
  Answer a = c->fbLogin("tok-fb1");
  ASSERT_EQ(a.status, 200);
  EXPECT_EQ(a.json()["username"], "pureuser");
  EXPECT_EQ(c->send("GET", "/api/1.5/file-systems").status, 200);
  EXPECT_EQ(c->send("POST", "/api/logout").status, 200);
  EXPECT_EQ(c->send("GET", "/api/1.5/file-systems").status, 403);
  Answer versions = c->send("GET", "/api/api_version");
  EXPECT_EQ(versions.json()["versions"].back(), "1.5");
}

TEST_F(SessionsTest, FormEncodedLoginIsAccepted) {
  auto c = sim_.client("fa1");
  Answer a = c->send("POST", "/api/1.4/auth/session", "api_token=tok-fa1");
  EXPECT_EQ(a.status, 200);
}

}  // namespace
}  // namespace simtest
