// FlashArray volumes and snapshots: creation by suffix, listings and
// filters, copies, rename, and the destroyed / eradicated life cycle.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "SimClient.h"

namespace simtest {
namespace {

using nlohmann::json;

class VolumesTest : public ::testing::Test {
 protected:
  Answer snap(const std::string& sources, const std::string& suffix) {
    return c_->send("POST", "/api/1.4/volume",
                    "{ \"snap\" : true, \"source\": [" + sources + "], \"suffix\" : \"" + suffix + "\" }");
  }
  std::set<std::string> names(const json& list) {
    std::set<std::string> out;
    for (const auto& e : list) out.insert(e["name"].get<std::string>());
    return out;
  }

  SimFixture sim_;
  std::unique_ptr<Client> c_ = sim_.loggedIn("fa1");
};

TEST_F(VolumesTest, SnapshotsBySuffixHaveUniqueSerials) {
  Answer a = snap("\"v1\", \"v2\" ", "SP-2-7-100");
  ASSERT_EQ(a.status, 200) << a.body;
  json list = a.json();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]["name"], "v1.SP-2-7-100");
  EXPECT_EQ(list[0]["source"], "v1");
  EXPECT_EQ(list[1]["name"], "v2.SP-2-7-100");
  std::set<std::string> serials;
  const std::regex hex24("[0-9A-F]{24}");
  for (const auto& v : c_->send("GET", "/api/1.4/volume").json()) serials.insert(v["serial"]);
  for (const auto& s : list) serials.insert(s["serial"]);
  for (const auto& s : serials) EXPECT_TRUE(std::regex_match(s, hex24)) << s;
  EXPECT_EQ(serials.size(), 6u);  // four volumes, two snapshots
  EXPECT_TRUE(serials.count("AAAABBBBCCCCDDDD000000FF"));
}

TEST_F(VolumesTest, SnapshotCreationIsAllOrNothing) {
  Answer a = snap("\"v1\", \"nope\"", "S");
  EXPECT_EQ(a.status, 400);
  EXPECT_EQ(a.msg(), "Volume does not exist.");
  EXPECT_TRUE(c_->send("GET", "/api/1.4/volume/v1?snap=true").json().empty());
  ASSERT_EQ(snap("\"v1\"", "S").status, 200);
  EXPECT_EQ(snap("\"v1\"", "S").status, 400);  // same name again
}

TEST_F(VolumesTest, SnapshotListingsAndLookups) {
  ASSERT_EQ(snap("\"v1\"", "A").status, 200);
  ASSERT_EQ(snap("\"v1\", \"v2\"", "B").status, 200);
  json own = c_->send("GET", "/api/1.4/volume/v1?snap=true").json();
  ASSERT_EQ(own.size(), 2u);
  EXPECT_EQ(own[0]["name"], "v1.A");  // creation order
  json one = c_->send("GET", "/api/1.4/volume/v1.B?snap=true").json();
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0]["source"], "v1");
  EXPECT_EQ(names(c_->send("GET", "/api/1.4/volume?snap=true").json()),
            (std::set<std::string>{"v1.A", "v1.B", "v2.B"}));
  EXPECT_EQ(names(c_->send("GET", "/api/1.4/volume?names=v2,v1.A&snap=true").json()),
            (std::set<std::string>{"v1.A", "v2.B"}));
  // Parameters in a GET body, as some clients send them.
  Answer body = c_->send("GET", "/api/1.4/volume/v2", "{\"snap\": true}");
  ASSERT_EQ(body.status, 200);
  EXPECT_EQ(names(body.json()), (std::set<std::string>{"v2.B"}));
  // The connection still serves the next request after a GET body.
  EXPECT_EQ(c_->send("GET", "/api/1.4/volume/v2").json()["name"], "v2");
}

TEST_F(VolumesTest, LookupErrorsCarryTheKnownTexts) {
  struct Case {
    const char* method;
    const char* target;
    const char* msg;
  } cases[] = {
      {"GET", "/api/1.4/volume/none", "Volume does not exist."},
      {"GET", "/api/1.4/volume/none?snap=true", "No such volume or snapshot."},
      {"DELETE", "/api/1.4/volume/none", "Volume does not exist."},
      {"DELETE", "/api/1.4/volume/v1.none", "No such volume or snapshot."},
      {"PUT", "/api/1.4/volume/none", "Volume does not exist."},
      {"GET", "/api/1.4/volume/none/host", "Volume does not exist."},
      {"GET", "/api/1.4/volume?names=none", "Volume does not exist."},
  };
  for (const auto& k : cases) {
    Answer a = c_->send(k.method, k.target, k.method == std::string("PUT") ? "{\"name\":\"x\"}" : "");
    EXPECT_EQ(a.status, 400) << k.target;
    EXPECT_EQ(a.msg(), k.msg) << k.method << " " << k.target;
    json j = a.json();
    ASSERT_TRUE(j.is_array() && j[0].contains("ctx")) << a.body;
  }
}

TEST_F(VolumesTest, DestroyRecoverEradicateVolume) {
  ASSERT_EQ(snap("\"v2\"", "S").status, 200);
  Answer d = c_->send("DELETE", "/api/1.4/volume/v2");
  ASSERT_EQ(d.status, 200);
  EXPECT_EQ(d.json()["name"], "v2");
  EXPECT_EQ(c_->send("GET", "/api/1.4/volume/v2").msg(), "Volume has been destroyed.");
  EXPECT_EQ(c_->send("DELETE", "/api/1.4/volume/v2").msg(), "Volume has been destroyed.");
  json pending = c_->send("GET", "/api/1.7/volume?pending_only=true&filter=name=\"v*\"").json();
  ASSERT_EQ(pending.size(), 1u);
  EXPECT_EQ(pending[0]["name"], "v2");
  EXPECT_GT(pending[0]["time_remaining"].get<int>(), 0);
  EXPECT_TRUE(c_->send("GET", "/api/1.4/volume/v2?snap=true").json().empty());
  // Recovery brings the volume and the snapshots it took along back.
  Answer r = c_->send("PUT", "/api/1.4/volume/v2", "{\"action\":\"recover\"}");
  ASSERT_EQ(r.status, 200);
  EXPECT_EQ(r.json()["name"], "v2");
  EXPECT_EQ(c_->send("GET", "/api/1.4/volume/v2?snap=true").json().size(), 1u);
  // Eradication needs a destroyed volume and removes its snapshots too.
  EXPECT_EQ(c_->send("DELETE", "/api/1.4/volume/v2?eradicate=true").status, 400);
  ASSERT_EQ(c_->send("DELETE", "/api/1.4/volume/v2").status, 200);
  Answer e = c_->send("DELETE", "/api/1.4/volume/v2?eradicate=true");
  ASSERT_EQ(e.status, 200);
  EXPECT_EQ(e.json()["name"], "v2");
  EXPECT_EQ(c_->send("GET", "/api/1.4/volume/v2").msg(), "Volume does not exist.");
  EXPECT_EQ(c_->send("GET", "/api/1.4/volume/v2.S?snap=true").msg(), "No such volume or snapshot.");
  // pg1 no longer lists it.
  EXPECT_EQ(c_->send("GET", "/api/1.4/pgroup/pg1").json()["volumes"], json({"v1"}));
}

TEST_F(VolumesTest, DestroyAndEradicateSnapshot) {
  ASSERT_EQ(snap("\"v1\"", "S").status, 200);
  ASSERT_EQ(c_->send("DELETE", "/api/1.4/volume/v1.S").status, 200);
  EXPECT_TRUE(c_->send("GET", "/api/1.4/volume/v1?snap=true").json().empty());
  EXPECT_NE(c_->send("GET", "/api/1.4/volume/v1.S?snap=true").msg().find("has been destroyed"),
            std::string::npos);
  EXPECT_EQ(c_->send("GET", "/api/1.4/volume/v1?snap=true&pending=true").json().size(), 1u);
  Answer e = c_->send("DELETE", "/api/1.4/volume/v1.S", "{\"eradicate\": true}");
  ASSERT_EQ(e.status, 200) << e.body;
  EXPECT_EQ(c_->send("GET", "/api/1.4/volume/v1?snap=true&pending=true").json().size(), 0u);
}

TEST(SafeModeTest, EradicationIsRefused) {
  json scenario = SimFixture::testScenario();
  scenario["arrays"][0]["safemode"] = true;
  SimFixture sim(scenario);
  auto c = sim.loggedIn("fa1");
  ASSERT_EQ(c->send("POST", "/api/1.4/volume", R"({"snap":true,"source":["v1"],"suffix":"S"})").status, 200);
  ASSERT_EQ(c->send("DELETE", "/api/1.4/volume/v1.S").status, 200);
  Answer e = c->send("DELETE", "/api/1.4/volume/v1.S?eradicate=true");
  EXPECT_EQ(e.status, 400);
  EXPECT_NE(e.msg().find("Eradication is disabled"), std::string::npos);
  ASSERT_EQ(c->send("DELETE", "/api/1.4/volume/v2").status, 200);
  EXPECT_NE(c->send("DELETE", "/api/1.4/volume/v2?eradicate=true").msg().find("Eradication is disabled"),
            std::string::npos);
  EXPECT_EQ(c->send("PUT", "/api/1.4/volume/v2?action=recover").status, 200);
}

TEST_F(VolumesTest, ClonesFromSnapshotsWithAndWithoutOverwrite) {
  ASSERT_EQ(snap("\"v1\"", "S1").status, 200);
  Answer clone = c_->send("POST", "/api/1.4/volume/KX_1_Clone", "{\"source\":\"v1.S1\"}");
  ASSERT_EQ(clone.status, 200) << clone.body;
  json cj = clone.json();
  EXPECT_EQ(cj["name"], "KX_1_Clone");
  EXPECT_EQ(cj["source"], "v1");
  EXPECT_EQ(cj["size"], 1024);
  std::string serial = cj["serial"];
  EXPECT_NE(c_->send("POST", "/api/1.4/volume/KX_1_Clone", "{\"source\":\"v1.S1\"}").msg().find(
                "already exists"),
            std::string::npos);
  ASSERT_EQ(snap("\"v2\"", "S2").status, 200);
  Answer over =
      c_->send("POST", "/api/1.4/volume/KX_1_Clone", "{\"overwrite\": true, \"source\":\"v2.S2\"}");
  ASSERT_EQ(over.status, 200);
  EXPECT_EQ(over.json()["serial"], serial);  // same volume, new content
  EXPECT_EQ(over.json()["source"], "v2");
  EXPECT_EQ(over.json()["size"], 2048);
  EXPECT_EQ(c_->send("POST", "/api/1.4/volume/KX_2", "{\"source\":\"v9.S\"}").msg(),
            "No such volume or snapshot.");
}

TEST_F(VolumesTest, FiltersBySerialAndNamePrefix) {
  json all = c_->send("GET", "/api/1.4/volume").json();
  std::string serial = all[1]["serial"];
  json bySerial = c_->send("GET", "/api/1.7/volume?filter=serial='" + serial + "'").json();
  ASSERT_EQ(bySerial.size(), 1u);
  EXPECT_EQ(bySerial[0]["name"], all[1]["name"]);
  EXPECT_TRUE(c_->send("GET", "/api/1.7/volume?filter=serial='000000000000000000000000'").json().empty());
  ASSERT_EQ(c_->send("POST", "/api/1.4/volume/KX_7_Clone", "{\"size\": 10}").status, 200);
  ASSERT_EQ(c_->send("POST", "/api/1.4/volume/KX_7_Clone2", "{\"size\": 10}").status, 200);
  EXPECT_EQ(names(c_->send("GET", "/api/1.7/volume?filter=name=\"KX_7*\"").json()),
            (std::set<std::string>{"KX_7_Clone", "KX_7_Clone2"}));
  // Percent-encoded query and path.
  EXPECT_EQ(names(c_->send("GET", "/api/1.7/volume?filter=name%3D%22KX_7_C*2%22").json()),
            (std::set<std::string>{"KX_7_Clone2"}));
  EXPECT_EQ(c_->send("GET", "/api/1.4/volume/pod1%3A%3Apv").json()["name"], "pod1::pv");
  EXPECT_EQ(c_->send("GET", "/api/1.7/volume?filter=name=").status, 400);
}

TEST_F(VolumesTest, RenameMovesSnapshotsAlong) {
  ASSERT_EQ(snap("\"v1\"", "S").status, 200);
  Answer r = c_->send("PUT", "/api/1.4/volume/v1.S", "{ \"name\" : \"v1.T\" }");
  ASSERT_EQ(r.status, 200);
  EXPECT_EQ(r.json()["name"], "v1.T");
  Answer rv = c_->send("PUT", "/api/1.4/volume/v1", "{ \"name\" : \"renamed\" }");
  ASSERT_EQ(rv.status, 200);
  json snaps = c_->send("GET", "/api/1.4/volume/renamed?snap=true").json();
  ASSERT_EQ(snaps.size(), 1u);
  EXPECT_EQ(snaps[0]["name"], "renamed.T");
  EXPECT_EQ(c_->send("PUT", "/api/1.4/volume/v2", "{ \"name\" : \"v3\" }").msg(),
            "Volume already exists.");
}

}  // namespace
}  // namespace simtest
