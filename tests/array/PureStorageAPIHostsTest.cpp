#include <gtest/gtest.h>

#include "ClientTestSupport.h"
#include "PUREStorageAPI.h"

namespace {

using kxtest::lastRequest;
using kxtest::queue;
using kxtest::requestCount;

const char kHosts[] =
    "[{\"name\":\"h1\",\"wwn\":[\"10000000C9AAAA01\"],\"iqn\":[],\"hgroup\":null},"
    "{\"name\":\"h2\",\"wwn\":[\"10000000C9AAAA02\"],\"iqn\":[\"iqn.x:h2\"],\"hgroup\":\"G\"},"
    "{\"name\":\"h3\",\"wwn\":[\"10000000C9AAAA01\"],\"hgroup\":\"H\"}]";

class FlashArrayHosts : public kxtest::ClientTest<PureStorageAPI> {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    ASSERT_TRUE(connectWith("{\"username\":\"pureuser\"}"));
  }
  static std::vector<std::string> names(const std::set<HostInfo>& set) {
    std::vector<std::string> out;
    for (const HostInfo& h : set) out.push_back(h.hostName + "/" + h.hostGroup + "/" + h.matchedHBA);
    return out;
  }
};

TEST_F(FlashArrayHosts, MatchingPlainHostsKeepsTheFirstHostPerHba) {
  queue(true, kHosts);
  std::set<HostInfo> w, i;
  ASSERT_TRUE(client_->getHostInfoFromArrayV2({"10000000c9aaaa01", "10000000c9aaaa02"}, {}, w, i,
                                              false, false));
  EXPECT_EQ(names(w), (std::vector<std::string>{"h1//10000000c9aaaa01", "h2/G/10000000c9aaaa02"}));
}

TEST_F(FlashArrayHosts, HostGroupModeTakesTheFirstGroupedCandidate) {
  queue(true, kHosts);
  std::set<HostInfo> w, i;
  ASSERT_TRUE(client_->getHostInfoFromArrayV2({"10000000c9aaaa01", "10000000c9aaaa02"},
                                              {"iqn.x:h2"}, w, i, true, false));
  EXPECT_EQ(names(w), (std::vector<std::string>{"h2/G/10000000c9aaaa02"}));
  EXPECT_EQ(names(i), (std::vector<std::string>{"h2/G/iqn.x:h2"}));
}

TEST_F(FlashArrayHosts, HostGroupModeWithoutGroups) {
  const char hosts[] = "[{\"name\":\"h1\",\"wwn\":[\"AA\"]}]";
  for (bool fallback : {false, true}) {
    queue(true, hosts);
    std::set<HostInfo> w, i;
    EXPECT_EQ(client_->getHostInfoFromArrayV2({"aa"}, {}, w, i, true, fallback), fallback);
    if (fallback) {
      EXPECT_EQ(names(w), (std::vector<std::string>{"h1//aa"}));
    } else {
      EXPECT_EQ(client_->getErrorStr().rfind("Host group not found on array. Connect to host group option is selected.Possible solutions:", 0), 0u);
    }
  }
  queue(true, hosts);
  std::set<HostInfo> w, i;
  EXPECT_FALSE(client_->getHostInfoFromArrayV2({"bb", "cc"}, {"iqn.q"}, w, i, false, false));
  EXPECT_NE(client_->getErrorStr().find("\n Passed in wwpns are bb,cc,\n Passed in iqns are iqn.q,"),
            std::string::npos);
}

TEST_F(FlashArrayHosts, ConnectChecksTheAnswer) {
  queue(true, "{\"name\":\"h1\",\"vol\":\"KX_1\",\"lun\":1}");
  EXPECT_TRUE(client_->connectVolumeToHost("h1", "KX_1"));
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/host/h1/volume/KX_1");
  queue(true, "{\"name\":\"G\",\"vol\":\"KX_2\",\"lun\":254}");
  EXPECT_FALSE(client_->connectVolumeToHostGroup("G", "KX_1"));
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/hgroup/G/volume/KX_1");
  EXPECT_EQ(client_->getErrorStr().rfind("Failed to connect volume to host group - Volume Name [KX_1]. Got Volume Name [KX_2]", 0), 0u);
}

TEST_F(FlashArrayHosts, ConnectionsListedOncePerGroup) {
  queue(true, "[{\"name\":\"v\",\"hgroup\":\"G\",\"host\":\"a\"},{\"name\":\"v\",\"hgroup\":\"G\",\"host\":\"b\"},"
              "{\"name\":\"v\",\"hgroup\":\"G\",\"host\":\"c\"}]");
  std::vector<std::string> groups;
  ASSERT_TRUE(client_->getConnectedHostGroupsToVolume("v", groups));
  EXPECT_EQ(groups, (std::vector<std::string>{"G"}));
  queue(true, "[]");
  std::vector<std::string> hosts;
  EXPECT_TRUE(client_->getConnectedHostsToVolume("v", hosts));
  EXPECT_TRUE(hosts.empty());
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/volume/v/host");
}

TEST_F(FlashArrayHosts, DisconnectStopsAtTheFirstFailure) {
  queue(true, "{\"name\":\"a\",\"vol\":\"v\"}");
  queue(false, "[{\"msg\":\"is not connected\"}]");
  size_t before = requestCount();
  EXPECT_FALSE(client_->disConnectVolumeFromHosts("v", {"a", "b", "c"}));
  EXPECT_EQ(requestCount() - before, 2u);
  EXPECT_EQ(client_->getErrorStr(), "Error in disconnecting volume[v] to host[b] in array array1");
}

TEST_F(FlashArrayHosts, DisconnectAnswerTexts) {
  struct Case {
    std::string answer, error;
  } cases[] = {
      {"{\"name\":\"a\"}",
       "Serial not found in disconnect volume to host response[{\"name\":\"a\"}] for array1"},
      {"{\"name\":\"a\",\"vol\":\"\"}",
       "Volume Name is empty in disconnect volume to host response[{\"name\":\"a\",\"vol\":\"\"}] for array1"},
      {"{\"name\":\"b\",\"vol\":\"v\"}",
       "Failed to disconnect volume to host - Volume Name [v]. Got Volume Name [v]Host Name [a]. "
       "Got Host Name [b]in response [{\"name\":\"b\",\"vol\":\"v\"}] in array array1"},
  };
  for (const Case& c : cases) {
    queue(true, c.answer);
    EXPECT_FALSE(client_->disConnectVolumeFromHostGroups("v", {"a"}));
    EXPECT_EQ(client_->getErrorStr(), c.error);
    EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/hgroup/a/volume/v");
  }
}

}  // namespace
