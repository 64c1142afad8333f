#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FakeHost.h"
#include "KXPlatformConfig.h"
#include "PUREStorageAPI.h"
#include "PureFlashBladeAPI.h"
#include "SimProcess.h"
#include "TestTls.h"

namespace {

class AgainstSimulator : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sim_ = new kxtest::SimProcess(); }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(sim_->ok()) << "the array simulator did not start";
    kxplatform::setHttpCaFile(sim_->caFile());
    kxplatform::setHttpInsecure(false);
    record_ = &util_.addRecord();
    for (const char* name : {"fa-east", "fb-main"}) before_[name] = sim_->admin(name, "stats");
  }
  // Every session opened during the test was closed again.
  void TearDown() override {
    for (const char* name : {"fa-east", "fb-main"}) {
      nlohmann::json now = sim_->admin(name, "stats");
      EXPECT_EQ(now["logins"].get<int>() - before_[name]["logins"].get<int>(),
                now["logouts"].get<int>() - before_[name]["logouts"].get<int>())
          << name;
      EXPECT_EQ(now["sessions_open"], 0) << name;
    }
  }
  int newConnections(const std::string& name) {
    return sim_->admin(name, "stats")["connections"].get<int>() -
           before_[name]["connections"].get<int>();
  }

  static kxtest::SimProcess* sim_;
  kxtest::FakeOSUtil util_;
  kxtest::FakeSnapInfo* record_ = nullptr;
  std::map<std::string, nlohmann::json> before_;
};

kxtest::SimProcess* AgainstSimulator::sim_ = nullptr;

TEST_F(AgainstSimulator, FlashArraySessionInformationAndSnapshots) {
  {
    PureStorageAPI client(record_);
    ASSERT_TRUE(client.initialize(sim_->address("fa-east"), "pureuser", sim_->token("fa-east"),
                                  &util_, true));
    ASSERT_TRUE(client.connect()) << client.getErrorStr();
    std::string name, serial, version;
    ASSERT_TRUE(client.getArrayDisplayName(name)) << client.getErrorStr();
    EXPECT_EQ(name, "fa-east");
    ASSERT_TRUE(client.getArraySerialNumber(serial, version)) << client.getErrorStr();
    EXPECT_FALSE(serial.empty());
    std::vector<std::string> ports;
    ASSERT_TRUE(client.getArrayPorts(ports)) << client.getErrorStr();
    EXPECT_EQ(ports.size(), 3u);
    client.fetchAPIVersions();
    EXPECT_EQ(client.getAPIVersions().count("1.7"), 1u);
    std::vector<PodArrayInfo> members;
    ASSERT_TRUE(client.GetPodInfo("pod1", members)) << client.getErrorStr();
    EXPECT_EQ(members.size(), 2u);

    std::vector<PS_SnapInfo> snaps(2);
    snaps[0].volName = "db01";
    snaps[1].volName = "db02";
    ASSERT_TRUE(client.createSnap(snaps, "SP-2-7-1700000000")) << client.getErrorStr();
    EXPECT_EQ(snaps[0].snapName, "db01.SP-2-7-1700000000");
    EXPECT_FALSE(snaps[1].snapSerial.empty());
    bool exists = false;
    ASSERT_TRUE(client.checkIfSnapExistsOrNot(snaps[0], exists)) << client.getErrorStr();
    EXPECT_TRUE(exists);
    bool dbExists = false;
    std::string dbSerial, volName;
    ASSERT_TRUE(client.checkIfVolWithSourceNameExists("db01", "", dbExists, dbSerial));
    EXPECT_TRUE(dbExists);
    ASSERT_TRUE(client.getVolumeNameUsingSerialNumber(dbSerial, volName)) << client.getErrorStr();
    EXPECT_EQ(volName, "db01");
    ASSERT_TRUE(client.getVolumeNameUsingSerialNumber_1_4(dbSerial, volName))
        << client.getErrorStr();
    EXPECT_EQ(volName, "db01");
    ASSERT_TRUE(client.destroySnap(snaps[0])) << client.getErrorStr();
    bool disabled = true;
    ASSERT_TRUE(client.eradicateSnap(snaps[0], disabled)) << client.getErrorStr();
    EXPECT_FALSE(disabled);
    ASSERT_TRUE(client.checkIfSnapExistsOrNot(snaps[0], exists)) << client.getErrorStr();
    EXPECT_FALSE(exists);
    bool volExists = true;
    std::string volSerial;
    ASSERT_TRUE(client.checkIfVolWithSourceNameExists("no-such-volume", "", volExists, volSerial));
    EXPECT_FALSE(volExists);
  }
  // One kept-alive TLS connection carried the whole session, logout included.
  EXPECT_EQ(newConnections("fa-east"), 1);
}

TEST_F(AgainstSimulator, FlashBladeSessionFileSystemsAndSnapshots) {
  {
    PureFlashBladeAPI client(record_);
    ASSERT_TRUE(client.initialize(sim_->address("fb-main"), "pureuser", sim_->token("fb-main"),
                                  &util_, false));
    ASSERT_TRUE(client.connect()) << client.getErrorStr();
    EXPECT_EQ(client.CheckIfNFSNetworkInterfaceExists("127.0.0.1"), 1) << client.getErrorStr();
    EXPECT_EQ(client.CheckIfNFSNetworkInterfaceExists("127.0.0.3"), 0);
    bool exists = false;
    std::string serial;
    ASSERT_TRUE(client.checkIfVolWithSourceNameExists("fs01", "", exists, serial))
        << client.getErrorStr();
    EXPECT_TRUE(exists);
    ASSERT_TRUE(client.checkIfVolWithSourceNameExists("smb-only", "", exists, serial));
    EXPECT_FALSE(exists);
    client.fetchAPIVersions();
    EXPECT_FALSE(client.getAPIVersions().empty());

    std::vector<PS_SnapInfo> snaps(1);
    snaps[0].volName = "fs01";
    ASSERT_TRUE(client.createSnap(snaps, "SP-2-9-1700000000")) << client.getErrorStr();
    EXPECT_FALSE(snaps[0].snapName.empty());
    ASSERT_TRUE(client.checkIfSnapExistsOrNot(snaps[0], exists)) << client.getErrorStr();
    EXPECT_TRUE(exists);
    ASSERT_TRUE(client.destroySnap(snaps[0])) << client.getErrorStr();
    bool disabled = false;
    ASSERT_TRUE(client.eradicateSnap(snaps[0], disabled)) << client.getErrorStr();
    ASSERT_TRUE(client.checkIfSnapExistsOrNot(snaps[0], exists)) << client.getErrorStr();
    EXPECT_FALSE(exists);

    // A second session on the same client logs in with the token again.
    ASSERT_TRUE(client.disconnect()) << client.getErrorStr();
    ASSERT_TRUE(client.initialize(sim_->address("fb-main"), "pureuser", sim_->token("fb-main"),
                                  &util_, false));
    ASSERT_TRUE(client.connect()) << client.getErrorStr();
    EXPECT_EQ(client.CheckIfNFSNetworkInterfaceExists("127.0.0.1"), 1) << client.getErrorStr();
  }
  EXPECT_EQ(newConnections("fb-main"), 1);
}

TEST_F(AgainstSimulator, WrongTokenFailsTheLogin) {
  PureStorageAPI client(record_);
  ASSERT_TRUE(client.initialize(sim_->address("fa-east"), "pureuser", "not-the-token", &util_,
                                false));
  EXPECT_FALSE(client.connect());
  EXPECT_NE(client.getErrorStr().find("Error in connecting to array"), std::string::npos);
}

TEST_F(AgainstSimulator, UntrustedCertificateFailsTheLoginWithItsReason) {
  kxtest::TestCertificate stranger;
  ASSERT_TRUE(stranger.ok());
  kxplatform::setHttpCaFile(stranger.certFile());
  kxtest::LogCapture hostLog;
  {
    PureStorageAPI client(record_);
    ASSERT_TRUE(client.initialize(sim_->address("fa-east"), "pureuser", sim_->token("fa-east"),
                                  &util_, false));
    EXPECT_FALSE(client.connect());
    EXPECT_EQ(client.getErrorStr(), "Error in connecting to array [" + sim_->address("fa-east") +
                                        "]. Please ensure that the user name and password are "
                                        "entered properly.");
  }
  EXPECT_TRUE(hostLog.contains("SSL certificate problem")) << hostLog.text();
  EXPECT_FALSE(hostLog.contains(sim_->token("fa-east")));
  kxplatform::setHttpCaFile(sim_->caFile());
  EXPECT_EQ(newConnections("fa-east"), 0);
}

}  // namespace
