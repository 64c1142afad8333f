// The admin API: request log, fault rules, state, counters and fabric view.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "SimClient.h"

namespace simtest {
namespace {

using nlohmann::json;

class AdminTest : public ::testing::Test {
 protected:
  json admin(const std::string& method, const std::string& what, const std::string& body = "") {
    Answer a = admin_->send(method, "/sim/v1/" + what, body);
    EXPECT_EQ(a.status, 200) << what << ": " << a.body;
    return a.json();
  }

  SimFixture sim_;
  std::unique_ptr<Client> admin_ = sim_.client("fa1");
};

TEST_F(AdminTest, RequestLogRecordsWithoutTokens) {
  auto c = sim_.client("fa1");
  c->faLogin("tok-fa1");
  c->send("GET", "/api/1.7/volume?filter=name=\"v*\"");
  json log = admin("GET", "requests");
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0]["method"], "POST");
  EXPECT_EQ(log[0]["body"], "{ \"api_token\" : \"***\" }");
  EXPECT_EQ(log[0]["cookie"], false);
  EXPECT_EQ(log[0]["status"], 200);
  EXPECT_EQ(log[1]["target"], "/api/1.7/volume?filter=name=\"v*\"");
  EXPECT_EQ(log[1]["cookie"], true);
  EXPECT_EQ(log[1]["conn"], log[0]["conn"]);
  EXPECT_EQ(log[1]["seq"].get<int>(), log[0]["seq"].get<int>() + 1);
  auto fb = sim_.client("fb1");
  fb->fbLogin("tok-fb1");
  fb->send("GET", "/api/1.5/file-systems");
  json fblog = fb->send("GET", "/sim/v1/requests").json();
  ASSERT_EQ(fblog.size(), 2u);
  EXPECT_EQ(fblog[0]["api_token"], true);
  EXPECT_EQ(fblog[1]["x_auth_token"], true);
  EXPECT_EQ(fblog[1]["api_token"], false);
  std::string state = admin_->send("GET", "/sim/v1/state").body;
  EXPECT_EQ(state.find("tok-fa1"), std::string::npos);
  admin("DELETE", "requests");
  EXPECT_TRUE(admin("GET", "requests").empty());
}

TEST_F(AdminTest, StatsCountOneConnectionForKeptAliveRequests) {
  auto c = sim_.loggedIn("fa1");
  for (int i = 0; i < 50; ++i) ASSERT_EQ(c->send("GET", "/api/1.4/array").status, 200);
  c->send("DELETE", "/api/1.4/auth/session");
  json s = admin("GET", "stats");
  EXPECT_EQ(s["connections"], 1);
  EXPECT_EQ(s["requests"], 52);
  EXPECT_EQ(s["logins"], 1);
  EXPECT_EQ(s["logouts"], 1);
  EXPECT_EQ(s["sessions_open"], 0);
  auto other = sim_.loggedIn("fa1");
  EXPECT_EQ(admin("GET", "stats")["connections"], 2);
  EXPECT_EQ(admin("GET", "stats")["sessions_open"], 1);
}

TEST_F(AdminTest, FaultRulesByAction) {
  auto c = sim_.loggedIn("fa1");
  admin("POST", "faults", R"({"method":"GET","path":"^/api/1\\.4/volume$","action":"status","status":503,"body":"busy","count":2})");
  EXPECT_EQ(c->send("GET", "/api/1.4/volume").status, 503);
  EXPECT_EQ(c->send("GET", "/api/1.4/volume?snap=true").status, 200);  // not matched
  EXPECT_EQ(c->send("POST", "/api/1.4/volume", R"({"snap":true,"source":["v1"]})").status, 200);
  Answer second = c->send("GET", "/api/1.4/volume");
  EXPECT_EQ(second.status, 503);
  EXPECT_EQ(second.body, "busy");
  EXPECT_EQ(c->send("GET", "/api/1.4/volume").status, 200);  // count used up

  admin("POST", "faults", R"([{"path":"array","action":"empty"},{"path":"array","action":"garbage"}])");
  Answer empty = c->send("GET", "/api/1.4/array");
  EXPECT_EQ(empty.status, 200);
  EXPECT_TRUE(empty.body.empty());
  Answer garbage = c->send("GET", "/api/1.4/array");
  EXPECT_EQ(garbage.status, 200);
  EXPECT_TRUE(garbage.json().is_discarded());

  admin("POST", "faults", R"({"path":"port","action":"drop"})");
  EXPECT_EQ(c->send("GET", "/api/1.4/port").status, 0);  // transport failure
  EXPECT_EQ(c->send("GET", "/api/1.4/port").status, 200);  // a new connection works

  admin("POST", "faults", R"({"path":"host","action":"delay","delay_ms":300,"count":0})");
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(c->send("GET", "/api/1.4/host").status, 200);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(300));
  EXPECT_EQ(admin("GET", "faults").size(), 1u);  // unlimited rule stays
  admin("DELETE", "faults");
  EXPECT_TRUE(admin("GET", "faults").empty());
  json log = admin("GET", "requests");
  bool dropped_logged = false;
  for (const auto& r : log) dropped_logged |= (r["target"] == "/api/1.4/port" && r["status"] == 0);
  EXPECT_TRUE(dropped_logged);
  EXPECT_EQ(admin_->send("POST", "/sim/v1/faults", R"({"action":"explode"})").status, 400);
  EXPECT_EQ(admin_->send("POST", "/sim/v1/faults", R"({"path":"(","action":"drop"})").status, 400);
}

TEST_F(AdminTest, FabricShowsVolumesSeenByInitiators) {
  auto c = sim_.loggedIn("fa1");
  ASSERT_EQ(c->send("POST", "/api/1.4/host/h1/volume/v1").status, 200);
  ASSERT_EQ(c->send("POST", "/api/1.4/hgroup/g1/volume/v2").status, 200);
  ASSERT_EQ(c->send("POST", "/api/1.4/host/h3/volume/v3").status, 200);
  // FC initiator of h1 written with colons and in upper case.
  json rows = admin("GET", "fabric?initiator=10:00:00:00:C9:00:00:01");
  ASSERT_EQ(rows.size(), 2u) << rows.dump();
  std::string v2serial = c->send("GET", "/api/1.4/volume/v2").json()["serial"];
  for (const auto& r : rows) {
    EXPECT_EQ(r["host"], "h1");
    EXPECT_EQ(r["port"], "524a937000000001");
    EXPECT_EQ(r["initiator"], "10:00:00:00:C9:00:00:01");
  }
  EXPECT_EQ(rows[0]["volume"], "v1");
  EXPECT_TRUE(rows[0]["hgroup"].is_null());
  EXPECT_EQ(rows[1]["volume"], "v2");
  EXPECT_EQ(rows[1]["hgroup"], "g1");
  EXPECT_EQ(rows[1]["serial"], v2serial);
  // iSCSI: the array's IQN is the port; two initiators at once.
  json iscsi = admin("GET", "fabric?initiator=iqn.1994-05.com.redhat:h3&initiator=1000000000000099");
  ASSERT_EQ(iscsi.size(), 1u);
  EXPECT_EQ(iscsi[0]["volume"], "v3");
  EXPECT_EQ(iscsi[0]["port"], "iqn.2010-06.com.purestorage:fa1");
  EXPECT_EQ(iscsi[0]["lun"], 1);
  EXPECT_TRUE(admin("GET", "fabric?initiator=nobody").empty());
  // Admin calls are neither logged nor counted.
  EXPECT_EQ(admin("GET", "stats")["requests"], 5);
}

TEST_F(AdminTest, ArraysJsonDescribesEveryArray) {
  std::ifstream in(sim_.dir() + "/arrays.json");
  json j = json::parse(in);
  EXPECT_EQ(j["ca"], sim_.ca());
  ASSERT_EQ(j["arrays"].size(), 3u);
  EXPECT_EQ(j["arrays"][0]["name"], "fa1");
  EXPECT_EQ(j["arrays"][0]["kind"], "flasharray");
  EXPECT_EQ(j["arrays"][0]["address"], "127.0.0.1:" + std::to_string(sim_.port("fa1")));
  EXPECT_EQ(j["arrays"][2]["users"][0]["api_token"], "tok-fb1");
}

}  // namespace
}  // namespace simtest
