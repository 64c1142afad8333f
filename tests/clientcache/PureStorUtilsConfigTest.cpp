#include "PureStorUtilsConfig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "FakeHost.h"
#include "FakeHttp.h"
#include "KXPlatformConfig.h"
#include "KXSOCodes.h"
#include "PUREStorageAPI.h"
#include "PureFlashBladeAPI.h"

namespace {

std::string arrayInfo(const std::string& hostId, const std::string& server) {
  std::string id = hostId.empty() ? "" : "hostid:" + hostId + ",";
  return "{" + id + "arrayId:" + server +
         ",hostUserName:pureuser,hostPassword:TOKEN-77,engineName:e1}";
}

// Answers every login and logout of either client kind, and the array
// details, like a healthy array.
kxfakehttp::Reply healthyArray(const kxfakehttp::Request& r) {
  if (r.url.find("/auth/session") != std::string::npos || r.url.find("/login") != std::string::npos) {
    return {true, "{\"username\":\"pureuser\"}", {"x-auth-token: s1\r\n"}};
  }
  if (r.url.find("/api/1.4/array") != std::string::npos) {
    return {true, "{\"array_name\":\"fa1\",\"id\":\"ID-9\",\"version\":\"6.1.8\"}"};
  }
  if (r.url.find("/api/api_version") != std::string::npos) return {true, "{\"version\":[\"1.7\"]}"};
  return {true, "{}"};
}

size_t countRequests(const std::string& urlPart, int type = -1) {
  size_t n = 0;
  for (const auto& r : kxfakehttp::requests()) {
    if (r.url.find(urlPart) != std::string::npos && (type < 0 || r.type == type)) ++n;
  }
  return n;
}

class ClientCache : public ::testing::Test {
 protected:
  void SetUp() override {
    kxfakehttp::reset();
    kxfakehttp::setHandler(healthyArray);
  }
  kxtest::FakeSnapInfo& device(const std::string& info, const std::string& source = "/dev/sdb") {
    kxtest::FakeSnapInfo& r = util_.addRecord();
    r.state().arrayInfo = info;
    r.setSourceDevice(source);
    return r;
  }
  kxtest::FakeOSUtil util_;
};

TEST_F(ClientCache, KeyedByHostIdNotByAddress) {
  std::map<int, PureStorageAPI*> cache;
  std::string error;
  PureStorageAPI* a = getPureAPIForArray(cache, &util_, &device(arrayInfo("3", "array1")), error, false);
  PureStorageAPI* b = getPureAPIForArray(cache, &util_, &device(arrayInfo("3", "alias1")), error, false);
  PureStorageAPI* c = getPureAPIForArray(cache, &util_, &device(arrayInfo("4", "array1")), error, false);
  PureStorageAPI* d = getPureAPIForArray(cache, &util_, &device(arrayInfo("", "array2")), error, false);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(cache.size(), 3u);
  EXPECT_EQ(cache.at(0), d);
  EXPECT_EQ(countRequests("/auth/session", HTTP_REQ_POST), 3u);
  EXPECT_TRUE(util_.record(0).hasLog("Connected to Array[array1]"));

  freePureAPI(cache);
  EXPECT_TRUE(cache.empty());
  EXPECT_EQ(countRequests("/auth/session", HTTP_REQ_DELETE), 3u);
  EXPECT_EQ(kxfakehttp::clientsAlive(), 0);
}

TEST_F(ClientCache, ArrayDetailsAreLoggedAndVersionsFetched) {
  std::map<int, PureStorageAPI*> cache;
  std::string error;
  kxtest::FakeSnapInfo& r = device(arrayInfo("1", "array1"));
  PureStorageAPI* client = getPureAPIForArray(cache, &util_, &r, error, true);
  ASSERT_NE(client, nullptr);
  EXPECT_TRUE(r.hasLog("Connected to Array[array1] SerialNum[ID-9] FW version[6.1.8]"));
  EXPECT_EQ(client->getAPIVersions().count("1.7"), 1u);
  // The client's own options record was read.
  EXPECT_EQ(client->getPureArrayConfigs().mountRetryInterval, 30);
  freePureAPI(cache);
}

TEST_F(ClientCache, FailuresAreNotCached) {
  std::map<int, PureStorageAPI*> cache;
  kxfakehttp::setHandler([](const kxfakehttp::Request& r) {
    if (r.type == HTTP_REQ_POST) return kxfakehttp::Reply{false, "[{\"msg\":\"bad\"}]"};
    return kxfakehttp::Reply{true, "{}"};
  });
  kxtest::FakeSnapInfo& r = device(arrayInfo("1", "array1"));
  for (int i = 0; i < 2; ++i) {
    std::string error;
    EXPECT_EQ(getPureAPIForArray(cache, &util_, &r, error, false), nullptr);
    EXPECT_EQ(error, "Error in connecting to array [array1]. Please ensure that the user name "
                     "and password are entered properly.");
  }
  EXPECT_TRUE(cache.empty());
  EXPECT_EQ(countRequests("/auth/session", HTTP_REQ_POST), 2u);
  EXPECT_TRUE(r.hasLog("Error in connecting to array. Err[Error in connecting to array [array1]."));
  EXPECT_EQ(kxfakehttp::clientsAlive(), 0);
}

TEST_F(ClientCache, MissingArrayInfoLeavesTheErrorAlone) {
  std::map<int, PureStorageAPI*> cache;
  kxtest::FakeSnapInfo& r = util_.addRecord();
  std::string error = "untouched";
  EXPECT_EQ(getPureAPIForArray(cache, &util_, &r, error, false), nullptr);
  EXPECT_EQ(error, "untouched");
  EXPECT_TRUE(r.hasLog("Error:Unable to get the array details."));
  EXPECT_TRUE(kxfakehttp::requests().empty());
}

TEST_F(ClientCache, GenericCacheGivesNfsDevicesAFlashBladeClient) {
  std::map<int, ArrayBaseAPI*> cache;
  std::string error;
  kxtest::FakeSnapInfo& nfs = device(arrayInfo("5", "fb1"), "{type:nfs,lunuuid:fs01,targethostname:10.0.0.6}");
  kxtest::FakeSnapInfo& block = device(arrayInfo("6", "fa1"));
  ArrayBaseAPI* fb = getGenericPureAPIForArray(cache, &util_, &nfs, error, true);
  ArrayBaseAPI* fa = getGenericPureAPIForArray(cache, &util_, &block, error, true);
  ASSERT_NE(fb, nullptr);
  ASSERT_NE(fa, nullptr);
  EXPECT_EQ(fb->GetArrayType(), FLASHBLADE);
  EXPECT_EQ(fa->GetArrayType(), FLASHARRAY);
  EXPECT_EQ(countRequests("https://fb1/api/login"), 1u);
  EXPECT_FALSE(nfs.hasLog("Connected to Array"));
  EXPECT_TRUE(block.hasLog("Connected to Array[fa1] SerialNum[ID-9]"));
  EXPECT_EQ(countRequests("https://fb1/api/1.5/array"), 0u);
  EXPECT_EQ(fb->getArrayConfigs().mountRetryCount, 5);
  freeGenericPureAPI(cache);
  EXPECT_EQ(countRequests("https://fb1/api/logout"), 1u);
  EXPECT_TRUE(cache.empty());
}

TEST(ConfigOptions, ValuesDefaultsAndWarnings) {
  kxtest::FakeSnapInfo r;
  r.setConfig("SMCONFIG_NAME_CONNECT_TO_HOSTGROUP", 2);
  r.setConfig("SMCONFIG_NAME_ENABLE_DIAGNOSTIC_LOGGING", -1);
  r.setConfig("SMCONFIG_NAME_MOUNT_RETRY_COUNT", 9);
  r.setConfig("SMCONFIG_NAME_REMOTE_SNAP_PX", std::string("proxy1"));
  PureStorArrayConfigs c;
  readArrayConfigOptions(&r, c);
  EXPECT_TRUE(c.connectToHostGroup);
  EXPECT_FALSE(c.diagnosticLogging);
  EXPECT_FALSE(c.useHostIfHostGroupNotAvailable);
  EXPECT_FALSE(c.disablePodProcessing);
  EXPECT_EQ(c.mountRetryCount, 9);
  EXPECT_EQ(c.mountRetryInterval, 30);
  EXPECT_EQ(c.remoteSnapProxy, "proxy1");
  EXPECT_EQ(c.replicationTargetAddress, "");
  EXPECT_TRUE(r.hasLog("Warn:Failed to get config [SMCONFIG_NAME_MOUNT_RETRY_INTERVAL_IN_SEC]"));
  EXPECT_TRUE(r.hasLog("Read snap config [SMCONFIG_NAME_MOUNT_RETRY_INTERVAL_IN_SEC = 30]"));
  EXPECT_TRUE(r.hasLog("Warn:Failed to get config [SMCONFIG_NAME_USE_HOST_IF_HOST_GROUP_NOT_AVAILABLE]"));
  EXPECT_FALSE(r.hasLog("Warn:Failed to get config [SMCONFIG_NAME_CONNECT_TO_HOSTGROUP]"));
  EXPECT_TRUE(r.hasLog("Read snap config [SMCONFIG_NAME_REMOTE_SNAP_PX = 'proxy1']"));
  EXPECT_FALSE(r.hasLog("SMCONFIG_NAME_REPLICATION_TARGET_MANAGEMENT_IP = "));

  std::string proxy = "kept";
  kxtest::FakeSnapInfo none;
  EXPECT_EQ(getRemoteSnapPX(&none, proxy), 1);
  EXPECT_EQ(proxy, "kept");
  EXPECT_EQ(getRemoteSnapPX(&r, proxy), 1);
  EXPECT_EQ(proxy, "proxy1");
}

TEST(ConfigOptions, DefaultProtectionGroupName) {
  struct Case {
    int deployment, subclient;
    std::string name;
  } cases[] = {{42, 17, "KX-2A-17"}, {255, 3, "KX-FF-3"}, {0, 0, "KX-0-0"}};
  for (const Case& c : cases) {
    kxtest::FakeSnapInfo r;
    r.setValueOf(KXSO::GET_VALUE_VANTOR_NUMBER, c.deployment);
    r.setValueOf(KXSO::GET_VALUE_SUBCLINET_ID, c.subclient);
    std::string name;
    EXPECT_TRUE(getDefaultProtectionGroupName(&r, name));
    EXPECT_EQ(name, c.name);
  }
  kxtest::FakeSnapInfo r;
  r.setValueOf(KXSO::GET_VALUE_VANTOR_NUMBER, 1);
  std::string name = "old";
  EXPECT_FALSE(getDefaultProtectionGroupName(&r, name));
  EXPECT_EQ(name, "");
  EXPECT_TRUE(r.hasLog("Failed to get the Subclient Id."));
  EXPECT_EQ(getMountSnapId(nullptr), 0);
}

TEST(ConfigOptions, RegistryValuesUnderFerrowin) {
  char path[] = "/tmp/kxreg-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  {
    std::ofstream out(path);
    out << "~Ferrowin/nPureStorPostSnapRetryCount = 7\n~Ferrowin/sub/x = 3\n";
  }
  kxplatform::setRegistryFile(path);
  kxtest::LogCapture log;
  int value = -5;
  EXPECT_TRUE(GetRegInt(nullptr, "nPureStorPostSnapRetryCount", value));
  EXPECT_EQ(value, 7);
  EXPECT_TRUE(GetRegInt("sub", "x", value));
  EXPECT_EQ(value, 3);
  value = -5;
  EXPECT_FALSE(GetRegInt(nullptr, "nPureStorPostSnapRetryInterval", value));
  EXPECT_EQ(value, -5);
  EXPECT_TRUE(log.contains("Registry key found [~Ferrowin/nPureStorPostSnapRetryCount] = [7]"));
  EXPECT_TRUE(log.contains("Registry key not found [~Ferrowin/nPureStorPostSnapRetryInterval]"));
  kxplatform::setRegistryFile("");
  std::remove(path);
}

}  // namespace
