// Sending INQUIRY and reading the standard data: argument checks, the CDB
// as the pass-through receives it, field trimming, and the device test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "KXSOEntryPoints.h"
#include "KXSOPureStor.h"
#include "KxDevice.h"
#include "PureStorUtilsScsi.h"
#include "ScsiTestSupport.h"

namespace {

using kxtest::Bytes;
using kxtest::LogCapture;

class DoScsiInquiryTest : public kxtest::VirtualLunFixture {};

struct InquiryResult {
  int rc;
  std::string error;
  Bytes response;
};

InquiryResult runInquiry(const char* device, int page, int evpd, int responseLen,
                         int errorLen = 2047) {
  InquiryResult r;
  r.response.assign(static_cast<size_t>(std::max(responseLen, 1)), 0xEE);
  char error[2048];
  std::memset(error, 0, sizeof error);
  r.rc = doSCSIInquiry(device, page, evpd, responseLen > 0 ? r.response.data() : nullptr,
                       responseLen, error, errorLen);
  r.error = error;
  return r;
}

TEST_F(DoScsiInquiryTest, RefusalsCarryTheirMessage) {
  kxplatform::registerVirtualLun("/dev/kx-fail", [](const KxVirtualScsiCommand&, CZuError& e) {
    e.Set(-1, "medium gone");
    return -1;
  });
  struct Case {
    const char* device;
    int responseLen;
    std::string error;
  } cases[] = {
      {nullptr, 255, "Device name is empty."},
      {"", 255, "Device name is empty."},
      {"/dev/kx-a", 0, "SCSI Inquiry Response Buffer is empty"},
      {"/dev/kx-a", 254,
       "SCSI Inquiry Response Buffer(size-254) is not sufficient. Required size-255"},
      {"/dev/kx-no-such-device", 255,
       "Failed to get KxDevice for device[/dev/kx-no-such-device]. Error:[Cannot open device "
       "/dev/kx-no-such-device: No such file or directory]"},
      {"/dev/null", 255, "/dev/null is not SCSI device"},
      {"/dev/kx-fail", 255,
       "Failed to send SCSI Inquiry for device[/dev/kx-fail], caught exception:[medium gone]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device ? c.device : "(null)");
    InquiryResult r = runInquiry(c.device, 0, 0, c.responseLen);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.error, c.error);
  }
}

TEST_F(DoScsiInquiryTest, ShortBufferIsLeftAllZero) {
  InquiryResult r = runInquiry("/dev/kx-a", 0, 0, 254);
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.response, Bytes(254, 0));
}

TEST_F(DoScsiInquiryTest, WithoutErrorBufferItFailsWritingNothing) {
  unsigned char response[255];
  std::memset(response, 0xEE, sizeof response);
  EXPECT_EQ(doSCSIInquiry("/dev/null", 0, 0, response, 255, nullptr, 2047), 0);
  char error[16];
  std::memset(error, 'X', sizeof error);
  EXPECT_EQ(doSCSIInquiry("/dev/null", 0, 0, response, 255, error, 0), 0);
  EXPECT_EQ(std::string(error, sizeof error), std::string(16, 'X'));
  EXPECT_EQ(response[0], 0xEE);
}

TEST_F(DoScsiInquiryTest, ErrorTextIsBoundedByTheLength) {
  InquiryResult r = runInquiry("/dev/null", 0, 0, 255, 8);
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.error, "/dev/nu");
}

TEST_F(DoScsiInquiryTest, CdbCarriesEvpdBitPageAndAllocationLength) {
  Bytes cdb;
  int dataLen = 0, direction = -1, timeout = 0;
  kxplatform::registerVirtualLun("/dev/kx-cdb", [&](const KxVirtualScsiCommand& c, CZuError&) {
    cdb.assign(c.cdb, c.cdb + c.cdbLen);
    dataLen = c.dataLen;
    direction = c.direction;
    timeout = c.timeoutSec;
    c.data[0] = 0x42;
    return c.dataLen;
  });
  struct Case {
    int page, evpd, responseLen;
    Bytes cdb;
  } cases[] = {
      {0, 0, 255, {0x12, 0x00, 0x00, 0x00, 0xFF, 0x00}},
      {0x83, 1, 255, {0x12, 0x01, 0x83, 0x00, 0xFF, 0x00}},
      {0x83, 2, 255, {0x12, 0x00, 0x83, 0x00, 0xFF, 0x00}},
      {0x80, 3, 255, {0x12, 0x01, 0x80, 0x00, 0xFF, 0x00}},
      {0, 1, 255, {0x12, 0x01, 0x00, 0x00, 0xFF, 0x00}},
      {-5, 1, 255, {0x12, 0x01, 0x00, 0x00, 0xFF, 0x00}},
      {0x83, 1, 300, {0x12, 0x01, 0x83, 0x00, 0xFF, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "page " << c.page << " evpd " << c.evpd);
    InquiryResult r = runInquiry("/dev/kx-cdb", c.page, c.evpd, c.responseLen);
    EXPECT_EQ(r.rc, 1) << r.error;
    EXPECT_EQ(cdb, c.cdb);
    EXPECT_EQ(dataLen, c.responseLen);
    EXPECT_EQ(direction, kKxScsiDataIn);
    EXPECT_EQ(timeout, 10);
    EXPECT_EQ(r.response[0], 0x42);
    EXPECT_EQ(r.response[1], 0x00) << "zeroed before the inquiry";
  }
}

TEST_F(DoScsiInquiryTest, VmWareDeviceIsAnsweredFromItsText) {
  LogCapture log;
  InquiryResult r = runInquiry("{frwtype:vmware,standardinqury:00000012}", 0x83, 1, 255);
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.response[3], 0x12);
  EXPECT_TRUE(log.contains("bIsVmWareClient[1]"));
  r = runInquiry("/dev/null", 0, 0, 255);
  EXPECT_TRUE(log.contains("bIsVmWareClient[0]"));
}

TEST(TrimSpacesTest, FieldsAreCutAtTrailingWhiteSpace) {
  struct Case {
    std::string field;
    size_t n;
    std::string expected;
  } cases[] = {
      {"PURE    ", 8, "PURE"},
      {"  PURE  ", 8, "  PURE"},
      {"        ", 8, ""},
      {"Flash*Array     ", 16, "Flash Array"},
      {"PURE\t\n\v\f\r ", 10, "PURE"},
      {"PURE****", 8, "PURE"},
      {std::string("\0PURE   ", 8), 8, ""},
      {std::string("PU\0E    ", 8), 8, "PU"},
      {"PUREXXXX", 4, "PURE"},
      {"PURE", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    std::vector<char> field(c.field.begin(), c.field.end());
    EXPECT_EQ(trimSpaces(field.data(), c.n), c.expected);
  }
  EXPECT_EQ(trimSpaces(nullptr, 8), "");
}

TEST(TrimSpacesTest, AsterisksAreReplacedInPlace) {
  char field[] = "a*b*";
  trimSpaces(field, 4);
  EXPECT_STREQ(field, "a b ");
}

class StdInfoTest : public kxtest::VirtualLunFixture {};

TEST_F(StdInfoTest, LiveInquiryGivesVendorAndProduct) {
  struct Case {
    const char* device;
    Bytes data;
    std::string vendor, product;
  } cases[] = {
      {"/dev/kx-fa", kxplatform::buildFlashArrayStandardInquiry(), "PURE", "FlashArray"},
      {"/dev/kx-fb", kxplatform::buildStandardInquiry("PURE", "FlashBlade", "1"), "PURE",
       "FlashBlade"},
      {"/dev/kx-o", kxplatform::buildStandardInquiry("  OTHER", "Disk*Model", "1"), "  OTHER",
       "Disk Model"},
  };
  for (const Case& c : cases) {
    kxplatform::registerVirtualLun(c.device, c.data, {});
    std::string vendor = "x", product = "x", error = "x";
    EXPECT_EQ(getStdInfoForDevice(c.device, vendor, product, error), 1);
    EXPECT_EQ(vendor, c.vendor);
    EXPECT_EQ(product, c.product);
    EXPECT_EQ(error, "");
  }
}

TEST_F(StdInfoTest, FailuresClearOutputsAndGiveTheReason) {
  struct Case {
    std::string device, error;
  } cases[] = {
      {"", "Device name is empty."},
      {"/dev/null", "/dev/null is not SCSI device"},
  };
  for (const Case& c : cases) {
    std::string vendor = "x", product = "x", error;
    EXPECT_EQ(getStdInfoForDevice(c.device, vendor, product, error), 0);
    EXPECT_EQ(vendor, "");
    EXPECT_EQ(product, "");
    EXPECT_EQ(error, c.error);
  }
}

TEST(StdInfo2Test, DecodesTheRecordsStandardPage) {
  kxtest::FakeSnapInfo record;
  record.setInquiry(0, kxplatform::buildStandardInquiry("PURE", "FlashArray", "1"));
  std::string vendor, product, error;
  EXPECT_EQ(getStdInfoForDevice2(&record, vendor, product, error), 1);
  EXPECT_EQ(vendor, "PURE");
  EXPECT_EQ(product, "FlashArray");
}

TEST(StdInfo2Test, MissingPageOrRecordFails) {
  kxtest::FakeSnapInfo record;
  for (KXSO::SnapInfo* r : {static_cast<KXSO::SnapInfo*>(&record),
                            static_cast<KXSO::SnapInfo*>(nullptr)}) {
    std::string vendor = "x", product = "x", error;
    EXPECT_EQ(getStdInfoForDevice2(r, vendor, product, error), 0);
    EXPECT_EQ(error, "Failed to Obtain Std SCSI Buffer");
    EXPECT_EQ(vendor, "");
  }
}

class DeviceTestTest : public kxtest::VirtualLunFixture {};

TEST_F(DeviceTestTest, AnswersByVendorAndProduct) {
  kxplatform::registerVirtualLun("/dev/kx-fa", kxplatform::buildFlashArrayStandardInquiry(), {});
  kxplatform::registerVirtualLun("/dev/kx-fb",
                                 kxplatform::buildStandardInquiry("PURE", "FlashBlade", "1"), {});
  kxplatform::registerVirtualLun("/dev/kx-o",
                                 kxplatform::buildStandardInquiry("OTHER", "FlashArray", "1"), {});
  struct Case {
    const char* device;
    int rc;
    std::string error, log;
  } cases[] = {
      {"/dev/kx-fa", 0, "",
       "Device-[/dev/kx-fa] Vendor-[PURE] Product-[FlashArray] supported by [Pure Storage "
       "FlashArray Snap]."},
      {"/dev/kx-fb", 1, "", "Dev[/dev/kx-fb] does not belong to 'FlashArray' family"},
      {"/dev/kx-o", 1, "", "Dev[/dev/kx-o] does not belong to 'PURE' vendor"},
      {"/dev/kx-no-such-device", 1,
       "Failed to get KxDevice for device[/dev/kx-no-such-device]. Error:[Cannot open device "
       "/dev/kx-no-such-device: No such file or directory]",
       ""},
      {"/dev/null", 1, "/dev/null is not SCSI device", ""},
      {"", 1, "Device name is empty.", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    LogCapture log;
    char error[2048];
    std::memset(error, 'X', sizeof error);
    EXPECT_EQ(kxso_isSupported(c.device, 0, nullptr, error, 2047), c.rc);
    EXPECT_EQ(std::string(error), c.error);
    if (!c.log.empty()) {
      EXPECT_TRUE(log.contains(c.log)) << log.text();
    }
  }
}

TEST_F(DeviceTestTest, ErrorIsCutToTheBuffer) {
  char error[8];
  std::memset(error, 'X', sizeof error);
  EXPECT_EQ(isDeviceSupported("/dev/null", error, 8), 1);
  EXPECT_EQ(std::string(error), "/dev/nu");
  EXPECT_EQ(isDeviceSupported("/dev/null", nullptr, 0), 1);
}

TEST_F(DeviceTestTest, VmWareDeviceWithFlashArrayInquiryIsSupported) {
  Bytes std = kxplatform::buildFlashArrayStandardInquiry();
  std::string hex;
  char two[3];
  for (unsigned char b : std) {
    std::snprintf(two, sizeof two, "%02x", b);
    hex += two;
  }
  std::string source = "{frwtype:vmware,standardinqury:" + hex + "}";
  char error[2048] = {};
  EXPECT_EQ(isDeviceSupported(source.c_str(), error, 2047), 0);
  EXPECT_EQ(std::string(error), "");
}

}  // namespace
