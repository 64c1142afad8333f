// FlashArray protection groups and group snapshots, with replication to the
// target array of the same process.
#include <gtest/gtest.h>

#include "SimClient.h"

namespace simtest {
namespace {

using nlohmann::json;

class PgroupsTest : public ::testing::Test {
 protected:
  Answer groupSnap(Client& c, const std::string& group, const std::string& suffix) {
    return c.send("POST", "/api/1.4/pgroup",
                  "{ \"snap\":true, \"replicate_now\":true,\"source\": [ \"" + group +
                      "\"], \"suffix\":\"" + suffix + "\"}");
  }

  SimFixture sim_;
  std::unique_ptr<Client> src_ = sim_.loggedIn("fa1");
  std::unique_ptr<Client> tgt_ = sim_.loggedIn("fa2");
};

TEST_F(PgroupsTest, GroupLookup) {
  json g = src_->send("GET", "/api/1.4/pgroup/pg1").json();
  EXPECT_EQ(g["name"], "pg1");
  EXPECT_EQ(g["source"], "fa1");
  EXPECT_EQ(g["volumes"], json({"v1", "v2"}));
  EXPECT_TRUE(g["hosts"].is_null());
  EXPECT_EQ(g["targets"], json::parse(R"([{"name":"fa2","allowed":false}])"));
  EXPECT_EQ(src_->send("GET", "/api/1.4/pgroup/none").msg(), "Protection group does not exist.");
  EXPECT_EQ(src_->send("GET", "/api/1.4/pgroup/bad$name").msg(), "Invalid protection group name.");
  // The target sees the group as SOURCE:GROUP.
  json t = tgt_->send("GET", "/api/1.4/pgroup/fa1:pg1").json();
  EXPECT_EQ(t["source"], "fa1");
  EXPECT_EQ(t["volumes"], json({"fa1:v1", "fa1:v2"}));
}

TEST_F(PgroupsTest, ReplicationNeedsTheTargetsAllowance) {
  ASSERT_EQ(groupSnap(*src_, "pg1", "S0").status, 200);
  EXPECT_EQ(tgt_->send("GET", "/api/1.4/pgroup/fa1:pg1.S0?snap=true").msg(),
            "Protection group snapshot does not exist.");
  Answer allow = tgt_->send("PUT", "/api/1.4/pgroup/fa1:pg1", "{\"allowed\":true}");
  ASSERT_EQ(allow.status, 200) << allow.body;
  EXPECT_EQ(src_->send("GET", "/api/1.4/pgroup/pg1").json()["targets"][0]["allowed"], true);
  // Allowing on the source itself is refused.
  EXPECT_EQ(src_->send("PUT", "/api/1.4/pgroup/pg1", "{\"allowed\":true}").status, 400);

  Answer s = groupSnap(*src_, "pg1", "SP-2-3-9");
  ASSERT_EQ(s.status, 200);
  json list = s.json();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]["name"], "pg1.SP-2-3-9");
  EXPECT_EQ(list[0]["source"], "pg1");
  // Per-volume snapshots on both sides, with their own serials.
  json local = src_->send("GET", "/api/1.4/volume/pg1.SP-2-3-9.v1?snap=true").json();
  ASSERT_EQ(local.size(), 1u);
  EXPECT_EQ(local[0]["source"], "v1");
  json remote = tgt_->send("GET", "/api/1.4/volume/fa1:pg1.SP-2-3-9.v2?snap=true").json();
  ASSERT_EQ(remote.size(), 1u) << remote.dump();
  EXPECT_EQ(remote[0]["source"], "fa1:v2");
  EXPECT_EQ(remote[0]["serial"].get<std::string>().size(), 24u);
  EXPECT_EQ(tgt_->send("GET", "/api/1.4/pgroup/fa1:pg1.SP-2-3-9?snap=true").json()[0]["name"],
            "fa1:pg1.SP-2-3-9");
  // A group snapshot shows up among the volume's snapshots.
  EXPECT_EQ(src_->send("GET", "/api/1.4/volume/v1?snap=true").json().size(), 2u);
  // Clones can be made from the replica on the target.
  Answer clone = tgt_->send("POST", "/api/1.4/volume/KX_5", "{\"source\":\"fa1:pg1.SP-2-3-9.v1\"}");
  EXPECT_EQ(clone.status, 200) << clone.body;
}

TEST_F(PgroupsTest, GroupSnapshotLifeCycle) {
  ASSERT_EQ(groupSnap(*src_, "pg1", "A").status, 200);
  ASSERT_EQ(groupSnap(*src_, "pg1", "B").status, 200);
  json snaps = src_->send("GET", "/api/1.4/pgroup/pg1?snap=true").json();
  ASSERT_EQ(snaps.size(), 2u);
  EXPECT_EQ(snaps[0]["name"], "pg1.A");  // oldest first
  Answer d = src_->send("DELETE", "/api/1.4/pgroup/pg1.A");
  ASSERT_EQ(d.status, 200);
  EXPECT_EQ(d.json()["name"], "pg1.A");
  EXPECT_EQ(src_->send("GET", "/api/1.4/pgroup/pg1.A?snap=true").msg(),
            "Protection group snapshot has been destroyed.");
  EXPECT_EQ(src_->send("DELETE", "/api/1.4/pgroup/pg1.A").msg(),
            "Protection group snapshot has been destroyed.");
  EXPECT_EQ(src_->send("GET", "/api/1.4/pgroup/pg1?snap=true").json().size(), 1u);
  ASSERT_EQ(src_->send("DELETE", "/api/1.4/pgroup/pg1.A?eradicate=true").status, 200);
  EXPECT_EQ(src_->send("GET", "/api/1.4/pgroup/pg1.A?snap=true").msg(),
            "Protection group snapshot does not exist.");
  EXPECT_EQ(src_->send("GET", "/api/1.4/volume/pg1.A.v1?snap=true").msg(),
            "No such volume or snapshot.");
  EXPECT_EQ(src_->send("DELETE", "/api/1.4/pgroup/pg1.B?eradicate=true").status, 400);
  EXPECT_EQ(groupSnap(*src_, "nogroup", "X").msg(), "Protection group does not exist.");
}

TEST_F(PgroupsTest, CreateAndUpdateVolumeLists) {
  Answer c = src_->send("POST", "/api/1.4/pgroup/KX-fa1-1",
                        "{ \"vollist\": [\"v1\", \"v3\" ], \"targetlist\" : [\"fa2\" ]}");
  ASSERT_EQ(c.status, 200) << c.body;
  EXPECT_EQ(c.json()["source"], "fa1");
  EXPECT_EQ(src_->send("POST", "/api/1.4/pgroup/KX-fa1-1", "{}").status, 400);
  EXPECT_EQ(src_->send("POST", "/api/1.4/pgroup/KX-x", "{\"targetlist\":[\"elsewhere\"]}").status,
            400);
  Answer u = src_->send("PUT", "/api/1.4/pgroup/KX-fa1-1",
                        "{ \"addvollist\" : [ \"v2\" ], \"remvollist\" : [ \"v1\" ]}");
  ASSERT_EQ(u.status, 200) << u.body;
  EXPECT_EQ(src_->send("GET", "/api/1.4/pgroup/KX-fa1-1").json()["volumes"], json({"v3", "v2"}));
  EXPECT_EQ(tgt_->send("GET", "/api/1.4/pgroup/fa1:KX-fa1-1").json()["volumes"],
            json({"fa1:v3", "fa1:v2"}));
  EXPECT_EQ(src_->send("PUT", "/api/1.4/pgroup/KX-fa1-1", "{ \"addvollist\" : [ \"v2\" ]}").status,
            400);
}

}  // namespace
}  // namespace simtest
