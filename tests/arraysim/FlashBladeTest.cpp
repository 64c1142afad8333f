// FlashBlade file systems, network interfaces and file-system snapshots.
#include <gtest/gtest.h>

#include "SimClient.h"

namespace simtest {
namespace {

using nlohmann::json;

class FlashBladeTest : public ::testing::Test {
 protected:
  SimFixture sim_;
  std::unique_ptr<Client> c_ = sim_.loggedIn("fb1");
};

TEST_F(FlashBladeTest, FileSystemsByNameAndNfsFilter) {
  json one = c_->send("GET", "/api/1.5/file-systems?filter=nfs.enabled='true'&names=fs1").json();
  ASSERT_EQ(one["items"].size(), 1u);
  EXPECT_EQ(one["items"][0]["nfs"]["enabled"], true);
  EXPECT_TRUE(
      c_->send("GET", "/api/1.5/file-systems?filter=nfs.enabled='true'&names=fs2").json()["items"].empty());
  Answer missing = c_->send("GET", "/api/1.5/file-systems?filter=nfs.enabled='true'&names=fs9");
  EXPECT_EQ(missing.status, 400);
  EXPECT_EQ(missing.message(), "File system does not exist.");
  EXPECT_EQ(c_->send("GET", "/api/1.5/file-systems").json()["items"].size(), 2u);
}

TEST_F(FlashBladeTest, NetworkInterfacesWithServices) {
  json items = c_->send("GET", "/api/1.5/network-interfaces").json()["items"];
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0]["address"], "10.0.0.5");
  EXPECT_EQ(items[0]["services"], json({"data"}));
}

TEST_F(FlashBladeTest, SnapshotLifeCycle) {
  Answer c = c_->send("POST", "/api/1.5/file-system-snapshots?sources=fs1", "{\"suffix\": \"SP-2-1-7\"}");
  ASSERT_EQ(c.status, 200) << c.body;
  json items = c.json()["items"];
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0]["name"], "fs1.SP-2-1-7");
  EXPECT_EQ(items[0]["source"], "fs1");
  json found = c_->send("GET", "/api/1.5/file-system-snapshots?names_or_sources=fs1.SP-2-1-7").json();
  ASSERT_EQ(found["items"].size(), 1u);
  EXPECT_EQ(c_->send("GET", "/api/1.5/file-system-snapshots?names_or_sources=fs1").json()["items"].size(),
            1u);
  // Eradication needs the destroyed state first.
  EXPECT_EQ(c_->send("DELETE", "/api/1.5/file-system-snapshots?name=fs1.SP-2-1-7").status, 400);
  Answer d = c_->send("PATCH", "/api/1.5/file-system-snapshots?name=fs1.SP-2-1-7", "{\"destroyed\" : true}");
  ASSERT_EQ(d.status, 200);
  EXPECT_EQ(d.json()["items"][0]["destroyed"], true);
  EXPECT_GT(d.json()["items"][0]["time_remaining"].get<int64_t>(), 0);
  Answer again = c_->send("PATCH", "/api/1.5/file-system-snapshots?name=fs1.SP-2-1-7", "{\"destroyed\" : true}");
  EXPECT_EQ(again.message(), "Snapshot has been destroyed.");
  json listed = c_->send("GET", "/api/1.5/file-system-snapshots?names_or_sources=fs1.SP-2-1-7").json();
  EXPECT_EQ(listed["items"][0]["destroyed"], true);
  EXPECT_EQ(c_->send("DELETE", "/api/1.5/file-system-snapshots?name=fs1.SP-2-1-7").status, 200);
  Answer gone = c_->send("GET", "/api/1.5/file-system-snapshots?names_or_sources=fs1.SP-2-1-7");
  EXPECT_EQ(gone.status, 400);
  EXPECT_EQ(gone.message(), "Snapshot does not exist.");
}

TEST_F(FlashBladeTest, SnapshotErrors) {
  EXPECT_EQ(c_->send("POST", "/api/1.5/file-system-snapshots?sources=nofs", "{\"suffix\": \"S\"}").message(),
            "File system does not exist.");
  EXPECT_EQ(c_->send("GET", "/api/1.5/file-system-snapshots?names_or_sources=nofs").message(),
            "File system does not exist.");
  EXPECT_EQ(c_->send("PATCH", "/api/1.5/file-system-snapshots?name=fs1.x", "{\"destroyed\" : true}").message(),
            "Snapshot does not exist.");
}

TEST(FlashBladeSafeModeTest, EradicationIsRefused) {
  json scenario = SimFixture::testScenario();
  scenario["arrays"][2]["safemode"] = true;
  SimFixture sim(scenario);
  auto c = sim.loggedIn("fb1");
  ASSERT_EQ(c->send("POST", "/api/1.5/file-system-snapshots?sources=fs1", "{\"suffix\": \"S\"}").status, 200);
  ASSERT_EQ(c->send("PATCH", "/api/1.5/file-system-snapshots?name=fs1.S", "{\"destroyed\" : true}").status, 200);
  Answer e = c->send("DELETE", "/api/1.5/file-system-snapshots?name=fs1.S");
  EXPECT_EQ(e.status, 400);
  EXPECT_NE(e.message().find("Eradication is disabled"), std::string::npos);
}

}  // namespace
}  // namespace simtest
