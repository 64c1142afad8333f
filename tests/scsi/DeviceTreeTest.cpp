// The device tree: Linux nodes as far as this machine has them, virtual
// LUNs (data and responders), and the FlashArray inquiry builder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include <string>
#include <vector>

#include "CZuError.h"
#include "KxDevice.h"
#include "KxDeviceBackends.h"
#include "KxDeviceTree.h"
#include "KxInquiryBuilder.h"
#include "KxVirtualLun.h"

namespace {

using Bytes = std::vector<unsigned char>;

KxDeviceScsiIface* scsiOf(const KxDeviceRef& dev) {
  return static_cast<KxDeviceScsiIface*>(dev->QueryInterface(kKxDeviceScsiIface));
}

// INQUIRY through the device's interface; -1 on failure.
int inquiry(const KxDeviceRef& dev, bool evpd, unsigned char page, Bytes& out, CZuError& err,
            int allocation = 255) {
  unsigned char cdb[6] = {0x12, static_cast<unsigned char>(evpd ? 1 : 0), page, 0,
                          static_cast<unsigned char>(allocation), 0};
  out.assign(255, 0xEE);
  return scsiOf(dev)->Command(cdb, 6, out.data(), static_cast<int>(out.size()), 0, kKxScsiDataIn,
                              0, 0, 10, err);
}

std::string text(const Bytes& b, size_t from, size_t len) {
  return std::string(b.begin() + from, b.begin() + from + len);
}

kxplatform::FlashArrayLun fcLun() {
  kxplatform::FlashArrayLun lun;
  lun.serial = "0123456789ABCDEF01234567";
  lun.port = "52:4A:93:70:12:34:56:78";
  lun.volumeName = "dbvol1";
  return lun;
}

class VirtualLunTest : public ::testing::Test {
 protected:
  void TearDown() override { kxplatform::clearVirtualLuns(); }
};

TEST(LinuxDeviceTest, MissingNodeGivesEmptyHandleWithReason) {
  CZuError err;
  KxDeviceRef dev = KxDeviceTree::getDevice("/dev/kx-no-such-device", err);
  EXPECT_EQ(dev, nullptr);
  EXPECT_FALSE(err.IsSuccess());
  EXPECT_NE(err.AsString().find("/dev/kx-no-such-device"), std::string::npos) << err.AsString();
  EXPECT_NE(err.AsString().find("No such file or directory"), std::string::npos);
}

TEST(LinuxDeviceTest, NonScsiNodeOpensWithoutScsiInterface) {
  CZuError err;
  KxDeviceRef dev = KxDeviceTree::getDevice("/dev/null", err);
  ASSERT_NE(dev, nullptr) << err.AsString();
  EXPECT_TRUE(err.IsSuccess());
  EXPECT_EQ(dev->GetName(), "/dev/null");
  EXPECT_EQ(dev->QueryInterface(kKxDeviceScsiIface), nullptr);
}

TEST(LinuxDeviceTest, SymbolicLinkIsFollowedAndKeepsItsName) {
  char dir[] = "/tmp/kx-devtree-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string link = std::string(dir) + "/disk", dangling = std::string(dir) + "/gone";
  ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);
  ASSERT_EQ(symlink("/dev/kx-no-such-device", dangling.c_str()), 0);
  CZuError err;
  KxDeviceRef dev = KxDeviceTree::getDevice(link.c_str(), err);
  ASSERT_NE(dev, nullptr) << err.AsString();
  EXPECT_EQ(dev->GetName(), link);
  EXPECT_EQ(dev->QueryInterface(kKxDeviceScsiIface), nullptr);
  EXPECT_EQ(KxDeviceTree::getDevice(dangling.c_str(), err), nullptr);
  EXPECT_NE(err.AsString().find("No such file or directory"), std::string::npos);
  unlink(link.c_str());
  unlink(dangling.c_str());
  rmdir(dir);
}

// A fake /dev and /sys/block: a multipath map over two paths, a partition
// map on top of it, and a map whose only slave is another map without slaves.
class DeviceMapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kx-dm-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    dev_ = root_ + "/dev";
    sys_ = root_ + "/sys";
    for (const char* d : {"/dev", "/dev/mapper", "/sys", "/sys/dm-0", "/sys/dm-0/slaves",
                          "/sys/dm-1", "/sys/dm-1/slaves", "/sys/dm-5", "/sys/dm-5/slaves",
                          "/sys/dm-6", "/sys/dm-0/slaves/sdc", "/sys/dm-0/slaves/sdb",
                          "/sys/dm-1/slaves/dm-0", "/sys/dm-5/slaves/dm-6"}) {
      mkdir((root_ + d).c_str(), 0700);
    }
    for (const char* f : {"/dev/dm-0", "/dev/dm-1", "/dev/dm-5", "/dev/dm-6", "/dev/sdb",
                          "/dev/sdc"}) {
      std::ofstream(root_ + f).put('x');
    }
    symlink((dev_ + "/dm-0").c_str(), (dev_ + "/mapper/mpatha").c_str());
    symlink((dev_ + "/dm-1").c_str(), (dev_ + "/mapper/mpatha1").c_str());
  }
  void TearDown() override { std::system(("rm -rf " + root_).c_str()); }

  std::string resolve(const std::string& path) {
    return kxplatform::detail::resolveScsiNode(path, sys_, dev_);
  }

  std::string root_, dev_, sys_;
};

TEST_F(DeviceMapperTest, MapsResolveToTheirFirstScsiDisk) {
  struct Case {
    std::string path, node;
  } cases[] = {
      {"/mapper/mpatha", "/sdb"},
      {"/mapper/mpatha1", "/sdb"},
      {"/dm-0", "/sdb"},
      {"/dm-5", "/dm-6"},
      {"/sdc", "/sdc"},
  };
  for (const Case& c : cases) EXPECT_EQ(resolve(dev_ + c.path), dev_ + c.node) << c.path;
  EXPECT_EQ(resolve(dev_ + "/missing"), dev_ + "/missing");
}

TEST(LinuxDeviceTest, EmptyNameFails) {
  CZuError err;
  EXPECT_EQ(KxDeviceTree::getDevice("", err), nullptr);
  EXPECT_FALSE(err.IsSuccess());
  EXPECT_EQ(KxDeviceTree::getDevice(nullptr, err), nullptr);
}

TEST(CZuErrorTest, SuccessFailureAndReset) {
  CZuError err;
  EXPECT_TRUE(err.IsSuccess());
  err.Set(5, "Input/output error");
  EXPECT_FALSE(err.IsSuccess());
  EXPECT_EQ(err.Code(), 5);
  EXPECT_EQ(err.AsString(), "Input/output error");
  err.SetSuccess();
  EXPECT_TRUE(err.IsSuccess());
  EXPECT_EQ(err.Code(), 0);
}

TEST_F(VirtualLunTest, DataLunAnswersStandardAndDeviceIdPages) {
  Bytes std = kxplatform::buildFlashArrayStandardInquiry();
  Bytes p83 = kxplatform::buildFlashArrayPage83(fcLun());
  kxplatform::registerVirtualLun("/dev/kx-a", std, p83);
  CZuError err;
  KxDeviceRef dev = KxDeviceTree::getDevice("/dev/kx-a", err);
  ASSERT_NE(dev, nullptr);
  EXPECT_EQ(dev->GetName(), "/dev/kx-a");
  Bytes out;
  ASSERT_EQ(inquiry(dev, false, 0, out, err), static_cast<int>(std.size()));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + std.size()), std);
  EXPECT_EQ(out[std.size()], 0xEE) << "bytes past the answer stay as they were";
  ASSERT_EQ(inquiry(dev, true, 0x83, out, err), static_cast<int>(p83.size()));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + p83.size()), p83);
  ASSERT_EQ(inquiry(dev, true, 0x00, out, err), 6);
  EXPECT_EQ(out[1], 0x00);
  EXPECT_EQ(out[4], 0x00);
  EXPECT_EQ(out[5], 0x83);
}

TEST_F(VirtualLunTest, AnswerIsCutToTheAllocationLength) {
  kxplatform::registerVirtualLun("/dev/kx-a", kxplatform::buildFlashArrayStandardInquiry(), {});
  CZuError err;
  KxDeviceRef dev = KxDeviceTree::getDevice("/dev/kx-a", err);
  Bytes out;
  EXPECT_EQ(inquiry(dev, false, 0, out, err, 36), 36);
  EXPECT_EQ(out[36], 0xEE);
}

TEST_F(VirtualLunTest, UnsupportedRequestsFailAsCheckCondition) {
  kxplatform::registerVirtualLun("/dev/kx-a", kxplatform::buildFlashArrayStandardInquiry(), {});
  CZuError err;
  KxDeviceRef dev = KxDeviceTree::getDevice("/dev/kx-a", err);
  Bytes out;
  struct Case {
    bool evpd;
    unsigned char page;
  } cases[] = {{true, 0x80}, {false, 0x83}};
  for (const Case& c : cases) {
    err.SetSuccess();
    EXPECT_EQ(inquiry(dev, c.evpd, c.page, out, err), -1);
    EXPECT_NE(err.AsString().find("CHECK CONDITION"), std::string::npos) << err.AsString();
  }
  unsigned char readCapacity[10] = {0x25};
  EXPECT_EQ(scsiOf(dev)->Command(readCapacity, 10, out.data(), 8, 0, kKxScsiDataIn, 0, 0, 10, err),
            -1);
  unsigned char tur[6] = {0x00};
  EXPECT_EQ(scsiOf(dev)->Command(tur, 6, nullptr, 0, 0, kKxScsiNoData, 0, 0, 10, err), 0);
}

TEST_F(VirtualLunTest, ResponderSeesTheCommandAndItsFailureIsReported) {
  std::vector<Bytes> seen;
  kxplatform::registerVirtualLun("/dev/kx-r", [&](const KxVirtualScsiCommand& c, CZuError& e) {
    seen.emplace_back(c.cdb, c.cdb + c.cdbLen);
    EXPECT_EQ(c.timeoutSec, 10);
    e.Set(-1, "medium gone");
    return -1;
  });
  CZuError err;
  KxDeviceRef dev = KxDeviceTree::getDevice("/dev/kx-r", err);
  ASSERT_NE(dev, nullptr);
  Bytes out;
  EXPECT_EQ(inquiry(dev, true, 0x83, out, err), -1);
  EXPECT_EQ(err.AsString(), "medium gone");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], (Bytes{0x12, 0x01, 0x83, 0x00, 0xFF, 0x00}));
}

TEST_F(VirtualLunTest, RemovedNameIsUnknownButOpenHandleKeepsWorking) {
  ASSERT_TRUE(kxplatform::registerFlashArrayLun("/dev/kx-b", fcLun()));
  ASSERT_TRUE(kxplatform::registerFlashArrayLun("/dev/kx-a", fcLun()));
  EXPECT_EQ(kxplatform::virtualLunNames(), (std::vector<std::string>{"/dev/kx-a", "/dev/kx-b"}));
  CZuError err;
  KxDeviceRef open = KxDeviceTree::getDevice("/dev/kx-a", err);
  EXPECT_TRUE(kxplatform::unregisterVirtualLun("/dev/kx-a"));
  EXPECT_FALSE(kxplatform::unregisterVirtualLun("/dev/kx-a"));
  EXPECT_FALSE(kxplatform::isVirtualLun("/dev/kx-a"));
  EXPECT_TRUE(kxplatform::isVirtualLun("/dev/kx-b"));
  EXPECT_EQ(KxDeviceTree::getDevice("/dev/kx-a", err), nullptr);
  Bytes out;
  EXPECT_GT(inquiry(open, false, 0, out, err), 0);
}

TEST_F(VirtualLunTest, VirtualNameShadowsADeviceNode) {
  kxplatform::registerVirtualLun("/dev/null", kxplatform::buildFlashArrayStandardInquiry(), {});
  CZuError err;
  KxDeviceRef dev = KxDeviceTree::getDevice("/dev/null", err);
  ASSERT_NE(dev, nullptr);
  EXPECT_NE(dev->QueryInterface(kKxDeviceScsiIface), nullptr);
}

TEST(InquiryBuilderTest, StandardDataCarriesPaddedVendorProductRevision) {
  Bytes b = kxplatform::buildFlashArrayStandardInquiry("8888");
  ASSERT_EQ(b.size(), 96u);
  EXPECT_EQ(b[4], 91);
  EXPECT_EQ(text(b, 8, 8), "PURE    ");
  EXPECT_EQ(text(b, 16, 16), "FlashArray      ");
  EXPECT_EQ(text(b, 32, 4), "8888");
  Bytes other = kxplatform::buildStandardInquiry("VENDORTOOLONG", "P", "1");
  EXPECT_EQ(text(other, 8, 8), "VENDORTO");
  EXPECT_EQ(text(other, 16, 16), "P               ");
}

TEST(InquiryBuilderTest, PageLaysDesignatorsAtTheFixedPositions) {
  struct Case {
    std::string port;
    bool iscsi;
    std::string portText;
  } cases[] = {
      {"52:4A:93:70:12:34:56:78", false, "naa.524a937012345678,t,0x0001"},
      {"524a937012345678", false, "naa.524a937012345678,t,0x0001"},
      {"iqn.2010-06.com.purestorage:flasharray.1", true,
       "iqn.2010-06.com.purestorage:flasharray.1,t,0x0001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    kxplatform::FlashArrayLun lun = fcLun();
    lun.port = c.port;
    lun.iscsi = c.iscsi;
    Bytes p = kxplatform::buildFlashArrayPage83(lun);
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p[1], 0x83);
    EXPECT_EQ((p[2] << 8 | p[3]) + 4u, p.size());
    EXPECT_EQ(p[7], 16);
    EXPECT_EQ(Bytes(p.begin() + 8, p.begin() + 14), (Bytes{0x62, 0x4A, 0x93, 0x70, 0x01, 0x23}));
    EXPECT_EQ(p[27], 43);
    EXPECT_EQ(text(p, 28 + 43 - 24, 24), lun.serial);
    size_t l2 = p[98];
    EXPECT_EQ(l2 % 4, 0u);
    EXPECT_GT(l2, c.portText.size());
    EXPECT_EQ(text(p, 99, c.portText.size()), c.portText);
    EXPECT_EQ(p[99 + c.portText.size()], 0) << "NUL terminated";
    EXPECT_EQ(p[102 + l2], lun.volumeName.size());
    EXPECT_EQ(text(p, 103 + l2, lun.volumeName.size()), lun.volumeName);
    EXPECT_EQ(p.size(), 103 + l2 + lun.volumeName.size());
  }
}

TEST(InquiryBuilderTest, InvalidLunsBuildNothing) {
  struct Case {
    const char* what;
    void (*change)(kxplatform::FlashArrayLun&);
  } cases[] = {
      {"short serial", [](kxplatform::FlashArrayLun& l) { l.serial = "0123"; }},
      {"non-hex serial", [](kxplatform::FlashArrayLun& l) { l.serial[3] = 'G'; }},
      {"short WWN", [](kxplatform::FlashArrayLun& l) { l.port = "52:4a:93:70"; }},
      {"non-hex WWN", [](kxplatform::FlashArrayLun& l) { l.port = "52:4a:93:70:12:34:56:7z"; }},
      {"empty IQN",
       [](kxplatform::FlashArrayLun& l) {
         l.port.clear();
         l.iscsi = true;
       }},
      {"IQN too long",
       [](kxplatform::FlashArrayLun& l) {
         l.port = "iqn." + std::string(250, 'x');
         l.iscsi = true;
       }},
      {"empty volume name", [](kxplatform::FlashArrayLun& l) { l.volumeName.clear(); }},
      {"volume name too long",
       [](kxplatform::FlashArrayLun& l) { l.volumeName = std::string(256, 'v'); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kxplatform::FlashArrayLun lun = fcLun();
    c.change(lun);
    EXPECT_TRUE(kxplatform::buildFlashArrayPage83(lun).empty());
    EXPECT_FALSE(kxplatform::registerFlashArrayLun("/dev/kx-bad", lun));
    EXPECT_FALSE(kxplatform::isVirtualLun("/dev/kx-bad"));
  }
}

}  // namespace
