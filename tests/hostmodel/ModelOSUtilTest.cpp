// The model's OS-utility service: array lists and details with their
// call-again answers, device and initiator lists, rescans, remote runs and
// record copies.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FakeHost.h"

namespace {

using kxtest::FakeOSUtil;

TEST(ModelOSUtilTest, ArrayListSeparatedByVendorWithCallAgain) {
  FakeOSUtil util;
  util.addArray("fa1", "i1");
  util.addArray("fb1", "i2", {}, "Pure Storage FlashBlade");
  util.addArray("fa2", "i3");
  char buf[4096];
  EXPECT_EQ(util.getArrayList("Pure Storage FlashArray", '|', sizeof buf, buf), 0);
  EXPECT_STREQ(buf, "fa1|fa2");

  char small[5];
  const int rc = util.getArrayList("Pure Storage FlashArray", '|', sizeof small, small);
  EXPECT_EQ(rc, 8);  // size needed
  EXPECT_STREQ(small, "");

  util.state().arrayListCallAgain = 2;
  EXPECT_EQ(util.getArrayList("Pure Storage FlashArray", '|', sizeof buf, buf), 1);
  EXPECT_EQ(util.getArrayList("Pure Storage FlashArray", '|', sizeof buf, buf), 1);
  EXPECT_EQ(util.getArrayList("Pure Storage FlashArray", '|', sizeof buf, buf), 0);
}

TEST(ModelOSUtilTest, ArrayDetailsByNameOrAliasWithCallAgain) {
  FakeOSUtil util;
  util.addArray("fa1", "info-of-fa1", {"alias1"});
  char buf[64];
  short len = sizeof buf;
  EXPECT_EQ(util.getArrayDetails("alias1", buf, &len), 0);
  EXPECT_STREQ(buf, "info-of-fa1");
  EXPECT_EQ(util.getArrayDetails("nope", buf, &len), -1);
  len = 4;
  EXPECT_EQ(util.getArrayDetails("fa1", buf, &len), 1);
  EXPECT_EQ(len, 12);
}

TEST(ModelOSUtilTest, ArrayConfigStringPerArrayAndKey) {
  FakeOSUtil util;
  const int id = util.addArray("fa1", "i");
  util.arrays().byId(id)->config["SMCONFIG_NAME_REMOTE_SNAP_PX"] = "px";
  char buf[64];
  int len = 4095 < static_cast<int>(sizeof buf) ? 4095 : static_cast<int>(sizeof buf);
  EXPECT_EQ(util.getArrayConfigString(id, 0, "SMCONFIG_NAME_REMOTE_SNAP_PX", buf, &len), 0);
  EXPECT_STREQ(buf, "px");
  EXPECT_EQ(util.getArrayConfigString(id, 0, "OTHER", buf, &len), 1);
  EXPECT_EQ(util.getArrayConfigString(id + 1, 0, "SMCONFIG_NAME_REMOTE_SNAP_PX", buf, &len), 1);
}

TEST(ModelOSUtilTest, DeviceListBufferAnswersSizeNeeded) {
  FakeOSUtil util;
  util.setDevices({"/dev/sdb", "/dev/sdc"});
  util.setDevices({"/dev/sdz"}, "esx1");
  char buf[32];
  EXPECT_EQ(util.getDeviceListBuffer(nullptr, "PURE", '|', sizeof buf, buf), 0);
  EXPECT_STREQ(buf, "/dev/sdb|/dev/sdc");
  EXPECT_EQ(util.getDeviceListBuffer(nullptr, "PURE", '|', 5, buf), 18);
  EXPECT_EQ(util.getDeviceListBuffer("esx1", "PURE", '|', sizeof buf, buf), 0);
  EXPECT_STREQ(buf, "/dev/sdz");
  std::vector<std::string> names;
  EXPECT_EQ(util.getDeviceNames(nullptr, "PURE", names), 1);
  EXPECT_EQ(names.size(), 2u);
  util.failOn("getDeviceListBuffer");
  EXPECT_LT(util.getDeviceListBuffer(nullptr, "PURE", '|', sizeof buf, buf), 0);
}

TEST(ModelOSUtilTest, HbaDetectionSizesThenNamesAndKinds) {
  FakeOSUtil util;
  util.addHba("iqn.2020-01.host:a", true);
  util.addHba("21000024ff000001", false);
  short namesLen = 0, kindsLen = 0, count = 0;
  ASSERT_TRUE(util.detectHbaList(nullptr, "fa1", nullptr, &namesLen, nullptr, &kindsLen, &count));
  EXPECT_EQ(namesLen, 36);
  EXPECT_EQ(kindsLen, 2);
  EXPECT_EQ(count, 2);

  std::vector<char> names(namesLen), kinds(kindsLen);
  ASSERT_TRUE(util.detectHbaList(nullptr, "fa1", names.data(), &namesLen, kinds.data(),
                                 &kindsLen, &count));
  EXPECT_STREQ(names.data(), "iqn.2020-01.host:a,21000024ff000001");
  EXPECT_EQ(kinds[0], 1);
  EXPECT_NE(kinds[1], 1);

  short tooSmall = 10;
  EXPECT_FALSE(util.detectHbaList(nullptr, "fa1", names.data(), &tooSmall, kinds.data(),
                                  &kindsLen, &count));
  EXPECT_EQ(tooSmall, 36);

  namesLen = kindsLen = count = 0;
  ASSERT_TRUE(util.detectHbaListOnHost("esx1", "fa1", nullptr, &namesLen, nullptr, &kindsLen,
                                       &count));
  EXPECT_EQ(count, 0);
}

TEST(ModelOSUtilTest, RescanRecordedAndHookRun) {
  FakeOSUtil util;
  util.setRescanHook([](kxhost::ModelOSUtil& u, const kxhost::RescanCall&) {
    u.state().devicesByHost[""].push_back("/dev/sdq");
  });
  const char* wwpns[] = {"w1", "w2", nullptr};
  const char* iqns[] = {nullptr};
  util.rescanScsiBus(nullptr, wwpns, iqns);
  ASSERT_EQ(util.state().rescans.size(), 1u);
  EXPECT_EQ(util.state().rescans[0].names, (std::vector<std::string>{"w1", "w2"}));
  EXPECT_TRUE(util.state().rescans[0].names2.empty());
  EXPECT_EQ(util.state().devicesByHost[""], std::vector<std::string>{"/dev/sdq"});
}

TEST(ModelOSUtilTest, ExecuteOnRemoteThroughHook) {
  FakeOSUtil util(1);
  EXPECT_FALSE(util.executeOnRemote("px1"));
  util.setRemoteHook([](kxhost::ModelOSUtil& u, const std::string& proxy) {
    u.jobRecords()[0]->setMetadata(60, "0");
    return proxy == "px1";
  });
  EXPECT_TRUE(util.executeOnRemote("px1"));
  EXPECT_EQ(util.record(0).meta(60), "0");
  EXPECT_EQ(util.state().remoteCalls, (std::vector<std::string>{"px1", "px1"}));
}

TEST(ModelOSUtilTest, VmwarePagesByHostAndLun) {
  FakeOSUtil util;
  util.state().vmwarePages.push_back({"esx1", "lun1", false, "0083"});
  util.state().vmwarePages.push_back({"esx1", "lun1", true, "alt"});
  char buf[4096];
  EXPECT_EQ(util.getVmwareDevicePage("esx1", "lun1", "UNKNOWN", 1, 2, 0, 42, sizeof buf, buf), 0);
  EXPECT_STREQ(buf, "0083");
  EXPECT_EQ(util.getVmwareDevicePageAlt("esx1", "lun1", "UNKNOWN", 1, 2, 0, 42, sizeof buf, buf),
            0);
  EXPECT_STREQ(buf, "alt");
  EXPECT_NE(util.getVmwareDevicePage("esx1", "lun2", "UNKNOWN", 1, 2, 0, 42, sizeof buf, buf), 0);
}

TEST(ModelOSUtilTest, CloneCopiesRecordsInOrderAndTheyJoinTheJob) {
  FakeOSUtil util(2);
  util.addArray("fa1", "i1");
  util.record(0).setSourceDevice("/dev/sdb");
  util.record(1).setSourceDevice("/dev/sdc");
  util.record(1).logMessage(1, "before");
  KXSO::SnapInfo** records = util.records();
  KXSO::SnapInfo** copies = nullptr;
  ASSERT_EQ(util.cloneSnapInfoList(records, &copies), 1);
  ASSERT_NE(copies, nullptr);
  ASSERT_EQ(util.count(), 4);
  EXPECT_EQ(copies[2], nullptr);
  EXPECT_EQ(util.record(2).state().sourceDeviceName, "/dev/sdb");
  EXPECT_EQ(util.record(3).state().sourceDeviceName, "/dev/sdc");
  EXPECT_TRUE(util.record(3).logLines().empty());
  EXPECT_EQ(copies[0], static_cast<KXSO::SnapInfo*>(&util.record(2)));
  // Copies bind through the same registry.
  EXPECT_EQ(copies[1]->setArrayIdentity("fa1"), 0);
  // Changing a copy leaves the original alone.
  copies[0]->setStatus(5);
  EXPECT_EQ(util.record(0).status(), 0);

  util.failOn("cloneSnapInfoList");
  EXPECT_EQ(util.cloneSnapInfoList(records, &copies), 0);
}

TEST(ModelOSUtilTest, CallsCountedByOperation) {
  FakeOSUtil util;
  util.getOperationId();
  util.getOperationId();
  std::vector<std::string> names;
  util.getDeviceNames(nullptr, "PURE", names);
  char buf[16];
  int len = sizeof buf;
  util.getArrayConfigString(1, 0, nullptr, buf, &len);
  EXPECT_EQ(util.state().calls["getOperationId"], 2);
  EXPECT_EQ(util.state().calls["getDeviceNames"], 1);
  EXPECT_EQ(util.state().calls["getArrayConfigString"], 1);
  EXPECT_EQ(util.state().calls.count("executeOnRemote"), 0u);
}

TEST(ModelOSUtilTest, SharedRegistryBetweenServices) {
  auto registry = std::make_shared<kxhost::ArrayRegistry>();
  FakeOSUtil a(registry, 1), b(registry, 1);
  a.addArray("fa1", "i1");
  EXPECT_EQ(b.record(0).setArrayIdentity("fa1"), 0);
  char buf[64];
  short len = sizeof buf;
  EXPECT_EQ(b.getArrayDetails("fa1", buf, &len), 0);
}

}  // namespace
