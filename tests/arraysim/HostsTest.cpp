// FlashArray hosts and host groups: listings, connections with LUNs and
// their removal.
#include <gtest/gtest.h>

#include "SimClient.h"

namespace simtest {
namespace {

using nlohmann::json;

class HostsTest : public ::testing::Test {
 protected:
  SimFixture sim_;
  std::unique_ptr<Client> c_ = sim_.loggedIn("fa1");
};

TEST_F(HostsTest, HostListShowsInitiatorsAndGroups) {
  json hosts = c_->send("GET", "/api/1.4/host").json();
  ASSERT_EQ(hosts.size(), 3u);
  EXPECT_EQ(hosts[0]["name"], "h1");
  EXPECT_EQ(hosts[0]["wwn"], json({"10000000C9000001"}));
  EXPECT_EQ(hosts[0]["iqn"], json({"iqn.1994-05.com.redhat:h1"}));
  EXPECT_EQ(hosts[0]["hgroup"], "g1");
  EXPECT_TRUE(hosts[2]["hgroup"].is_null());
  EXPECT_EQ(c_->send("GET", "/api/1.4/hgroup/g1").json()["hosts"], json({"h1", "h2"}));
}

TEST_F(HostsTest, PrivateConnectionsGetFreeLuns) {
  Answer a = c_->send("POST", "/api/1.4/host/h3/volume/v1");
  ASSERT_EQ(a.status, 200) << a.body;
  EXPECT_EQ(a.json(), json({{"name", "h3"}, {"vol", "v1"}, {"lun", 1}}));
  EXPECT_EQ(c_->send("POST", "/api/1.4/host/h3/volume/v2").json()["lun"], 2);
  EXPECT_EQ(c_->send("POST", "/api/1.4/host/h3/volume/v3", "{\"lun\": 9}").json()["lun"], 9);
  EXPECT_NE(c_->send("POST", "/api/1.4/host/h3/volume/v1").msg().find("Connection already exists"),
            std::string::npos);
  json conns = c_->send("GET", "/api/1.4/volume/v1/host").json();
  ASSERT_EQ(conns.size(), 1u);
  EXPECT_EQ(conns[0]["host"], "h3");
  EXPECT_EQ(conns[0]["name"], "v1");
  EXPECT_EQ(conns[0]["lun"], 1);
  EXPECT_EQ(c_->send("GET", "/api/1.4/host/h3/volume").json().size(), 3u);
  Answer d = c_->send("DELETE", "/api/1.4/host/h3/volume/v1");
  ASSERT_EQ(d.status, 200);
  EXPECT_EQ(d.json(), json({{"name", "h3"}, {"vol", "v1"}}));
  EXPECT_TRUE(c_->send("GET", "/api/1.4/volume/v1/host").json().empty());
  EXPECT_NE(c_->send("DELETE", "/api/1.4/host/h3/volume/v1").msg().find("is not connected"),
            std::string::npos);
  // The freed LUN is given again.
  EXPECT_EQ(c_->send("POST", "/api/1.4/host/h3/volume/pod1::pv").json()["lun"], 1);
}

TEST_F(HostsTest, GroupConnectionsListOneRowPerHost) {
  ASSERT_EQ(c_->send("POST", "/api/1.4/host/h1/volume/v1").status, 200);  // LUN 1 on h1
  Answer g = c_->send("POST", "/api/1.4/hgroup/g1/volume/v2");
  ASSERT_EQ(g.status, 200);
  EXPECT_EQ(g.json()["name"], "g1");
  EXPECT_EQ(g.json()["lun"], 2);  // LUN 1 is taken on a member
  json rows = c_->send("GET", "/api/1.4/volume/v2/hgroup").json();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]["hgroup"], "g1");
  EXPECT_EQ(rows[0]["host"], "h1");
  EXPECT_EQ(rows[1]["host"], "h2");
  json viaHost = c_->send("GET", "/api/1.4/host/h2/volume").json();
  ASSERT_EQ(viaHost.size(), 1u);
  EXPECT_EQ(viaHost[0]["hgroup"], "g1");
  EXPECT_TRUE(c_->send("GET", "/api/1.4/volume/v2/host").json().empty());
  ASSERT_EQ(c_->send("DELETE", "/api/1.4/hgroup/g1/volume/v2").status, 200);
  EXPECT_TRUE(c_->send("GET", "/api/1.4/volume/v2/hgroup").json().empty());
}

TEST_F(HostsTest, ConnectionErrors) {
  struct Case {
    const char* target;
    const char* msg;
  } cases[] = {
      {"/api/1.4/host/nobody/volume/v1", "Host does not exist."},
      {"/api/1.4/hgroup/nogroup/volume/v1", "Host group does not exist."},
      {"/api/1.4/host/h3/volume/none", "Volume does not exist."},
  };
  for (const auto& k : cases) {
    Answer a = c_->send("POST", k.target);
    EXPECT_EQ(a.status, 400) << k.target;
    EXPECT_EQ(a.msg(), k.msg) << k.target;
  }
  ASSERT_EQ(c_->send("DELETE", "/api/1.4/volume/v1").status, 200);
  EXPECT_EQ(c_->send("POST", "/api/1.4/host/h3/volume/v1").msg(), "Volume has been destroyed.");
}

TEST_F(HostsTest, DestroyingAVolumeDropsItsConnections) {
  ASSERT_EQ(c_->send("POST", "/api/1.4/host/h3/volume/v1").status, 200);
  ASSERT_EQ(c_->send("DELETE", "/api/1.4/volume/v1").status, 200);
  EXPECT_TRUE(c_->send("GET", "/api/1.4/host/h3/volume").json().empty());
}

TEST_F(HostsTest, CreateHostRefusesInitiatorsInUse) {
  Answer a = c_->send("POST", "/api/1.4/host/h9", R"({"wwnlist": ["10:00:00:00:c9:00:00:01"]})");
  EXPECT_EQ(a.msg(), "The specified WWN is already in use.");
  Answer b = c_->send("POST", "/api/1.4/host/h9", R"({"iqnlist": ["iqn.2000-01.x:h9"]})");
  ASSERT_EQ(b.status, 200);
  EXPECT_EQ(c_->send("GET", "/api/1.4/host/h9").json()["iqn"], json({"iqn.2000-01.x:h9"}));
}

}  // namespace
}  // namespace simtest
