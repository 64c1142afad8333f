#include <gtest/gtest.h>

#include "ClientTestSupport.h"
#include "PUREStorageAPI.h"

namespace {

using kxtest::lastRequest;
using kxtest::queue;

class FlashArrayInfo : public kxtest::ClientTest<PureStorageAPI> {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    ASSERT_TRUE(connectWith("{\"username\":\"pureuser\"}"));
  }
};

TEST_F(FlashArrayInfo, PortsPreferIqnAndAreLowerCased) {
  struct Case {
    std::string answer;
    bool result;
    std::vector<std::string> ports;
  } cases[] = {
      {"[{\"name\":\"CT0.ETH4\",\"iqn\":\"IQN.2010-06.com.purestorage:fa1\",\"wwn\":\"52:4A\"}]", true,
       {"iqn.2010-06.com.purestorage:fa1"}},
      {"[{\"wwn\":\"524A937000000001\",\"iqn\":null},{\"wwn\":\"524A937000000002\"}]", true,
       {"524a937000000001", "524a937000000002"}},
      {"[{\"name\":\"CT0.ETH0\",\"iqn\":null,\"wwn\":null}]", false, {}},
      {"[]", false, {}},
  };
  for (const Case& c : cases) {
    queue(true, c.answer);
    std::vector<std::string> ports{"stale"};
    EXPECT_EQ(client_->getArrayPorts(ports), c.result) << c.answer;
    EXPECT_EQ(ports, c.ports);
    EXPECT_EQ(lastRequest().url, "https://array1/api/1.4/port");
  }
}

TEST_F(FlashArrayInfo, DisplayNameSerialAndVersion) {
  queue(true, "{\"array_name\":\"fa-east\",\"id\":\"7c1e\",\"version\":\"6.1.0\"}");
  std::string name;
  ASSERT_TRUE(client_->getArrayDisplayName(name));
  EXPECT_EQ(name, "fa-east");
  queue(true, "{\"array_name\":\"fa-east\",\"id\":\"7c1e\"}");
  std::string serial, version = "stale";
  ASSERT_TRUE(client_->getArraySerialNumber(serial, version));
  EXPECT_EQ(serial, "7c1e");
  EXPECT_EQ(version, "");
  queue(true, "{\"array_name\":\"fa-east\"}");
  EXPECT_FALSE(client_->getArraySerialNumber(serial, version));
  EXPECT_EQ(client_->getErrorStr(),
            "PureStorageAPI::getArraySerialNumberid not found in response [{\"array_name\":\"fa-east\"}]");
  queue(true, "{}");
  EXPECT_FALSE(client_->getArrayDisplayName(name));
  EXPECT_EQ(client_->getErrorStr(),
            "PureStorageAPI::getArrayDisplayNameEmpty response received while getting array details.");
}

TEST_F(FlashArrayInfo, PodMembersUnder113ThenBackTo14) {
  queue(true,
        "{\"name\":\"pod1\",\"arrays\":[{\"name\":\"fa-east\",\"array_id\":\"A\",\"status\":\"online\","
        "\"mediator_status\":\"online\"},{\"name\":\"fa-west\",\"array_id\":\"B\",\"status\":"
        "\"offline\",\"mediator_status\":\"unreachable\"}]}");
  std::vector<PodArrayInfo> members;
  ASSERT_TRUE(client_->GetPodInfo("pod1", members));
  EXPECT_EQ(lastRequest().url, "https://array1/api/1.13/pod/pod1");
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[1].arrayName, "fa-west");
  EXPECT_EQ(members[1].arrayId, "B");
  EXPECT_EQ(members[1].status, "offline");
  EXPECT_EQ(members[1].mediatorStatus, "unreachable");
  EXPECT_EQ(client_->getTransport()->getRelativeBasePath(), "api/1.4");
}

TEST_F(FlashArrayInfo, PodFailures) {
  struct Case {
    bool ok;
    std::string answer, error;
  } cases[] = {
      {false, "[{\"msg\":\"Pod does not exist.\"}]",
       "Error in getting Pod details for Pod  [pod9]. Response [[{\"msg\":\"Pod does not exist.\"}]]."},
      {true, "{\"name\":\"pod9\"}", "No Pod exists by podname  [ pod9]."},
      {true, "{\"name\":\"pod9\",\"arrays\":[]}", "No Pod exists by podname [ pod9]."},
  };
  for (const Case& c : cases) {
    queue(c.ok, c.answer);
    std::vector<PodArrayInfo> members;
    EXPECT_FALSE(client_->GetPodInfo("pod9", members));
    EXPECT_EQ(client_->getErrorStr(), c.error);
    EXPECT_EQ(client_->getTransport()->getRelativeBasePath(), "api/1.4");
  }
  queue(true, "{\"arrays\":[{\"name\":\"fa-east\",\"array_id\":\"A\",\"status\":\"online\"}]}");
  std::vector<PodArrayInfo> members;
  EXPECT_FALSE(client_->GetPodInfo("pod9", members));
  EXPECT_NE(client_->getErrorStr().find("unexpected content"), std::string::npos);
  EXPECT_TRUE(members.empty());
}

}  // namespace
