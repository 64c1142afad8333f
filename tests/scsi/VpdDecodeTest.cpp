// Page 0x83 decoding (live and from the record), the VMware paths, the dump
// and the WWN conversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeHost.h"
#include "PureStorUtilsScsi.h"
#include "ScsiTestSupport.h"

namespace {

using kxtest::Bytes;
using kxtest::LogCapture;
using kxtest::padded;
using kxtest::rawPage;

const std::string kSerialField = "PURE    FlashArray:0123456789ABCDEF01234567";
const std::string kFcPort = "naa.524a937012345678,t,0x0001";

struct VpdOutcome {
  int rc;
  std::string port, serial, name, error;
};

VpdOutcome fromRecord(kxtest::FakeSnapInfo& record, const std::string& device = "/dev/sdb") {
  VpdOutcome o{};
  o.port = o.serial = o.name = o.error = "stale";
  kxtest::FakeOSUtil util;
  o.rc = getVPDInfoForDevice2(device, o.port, o.serial, o.name, o.error, &util, &record, "");
  return o;
}

struct PageCase {
  const char* what;
  Bytes page;
  int rc;
  std::string port, serial, name, error, log;
};

std::vector<PageCase> pageCases() {
  kxplatform::FlashArrayLun iscsi = kxtest::sampleLun();
  iscsi.port = "iqn.2010-06.com.purestorage:flasharray.1";
  iscsi.iscsi = true;
  Bytes longPort = rawPage(kSerialField, kFcPort, "v");
  longPort[98] = 160;  // designator runs to byte 258
  Bytes nameLengthOutside = rawPage(kSerialField, std::string(149, 'p') + ",t,1", "");
  Bytes longName = rawPage(kSerialField, kFcPort, "vol");
  longName[102 + kFcPort.size()] = 200;
  Bytes longSerial = rawPage(kSerialField, kFcPort, "vol");
  longSerial[27] = 240;
  Bytes wrongPage = rawPage(kSerialField, kFcPort, "vol");
  wrongPage[1] = 0x80;
  const std::string serial = "0123456789ABCDEF01234567";
  return {
      {"built FC LUN", padded(kxplatform::buildFlashArrayPage83(kxtest::sampleLun())), 1,
       "524a937012345678", serial, "dbvol1", "", ""},
      {"built iSCSI LUN", padded(kxplatform::buildFlashArrayPage83(iscsi)), 1,
       "iqn.2010-06.com.purestorage:flasharray.1", serial, "dbvol1", "", ""},
      {"port without naa.", rawPage(kSerialField, "524a937012345678,t,0x0001", "vol"), 1,
       "524a937012345678", serial, "vol", "", ""},
      {"upper-case NAA. kept", rawPage(kSerialField, "NAA.524A937012345678,t,0x0001", "vol"), 1,
       "NAA.524A937012345678", serial, "vol", "", ""},
      {"serial of 24", rawPage(serial, kFcPort, "vol"), 1, "524a937012345678", serial, "vol",
       "", ""},
      {"port without ,t,", rawPage(kSerialField, "naa.524a937012345678", "vol"), 0, "", "", "",
       "", "Array name [naa.524a937012345678] does not contain [,t,]."},
      {"port only naa.", rawPage(kSerialField, "naa.,t,0x0001", "vol"), 0, "", "", "", "",
       "Array port info not found in the VPD details"},
      {"serial of 20", rawPage("PURE0123456789ABCDEF", kFcPort, "vol"), 0, "", "", "", "",
       "Volume Serial Number not found in the VPD details"},
      {"empty volume name", rawPage(kSerialField, kFcPort, ""), 0, "", "", "", "",
       "Volume name not found in the VPD details"},
      {"wrong page code", wrongPage, 0, "", "", "",
       "Invalid page returned in SCSI Inquiry Response for Page 83(VPD) Inquiry for "
       "device[/dev/sdb]",
       ""},
      {"serial past the response", longSerial, 0, "", "", "", "", "reaches past the 255 bytes"},
      {"port past the response", longPort, 0, "", "", "", "", "reaches past the 255 bytes"},
      {"name length past the response", nameLengthOutside, 0, "", "", "", "",
       "Volume name length at byte 255 lies past the 255 bytes"},
      {"name past the response", longName, 0, "", "", "", "", "reaches past the 255 bytes"},
  };
}

TEST(VpdDecodeTest, RecordPagesDecodeOrFailWithTheirMessage) {
  for (const PageCase& c : pageCases()) {
    SCOPED_TRACE(c.what);
    LogCapture log;
    kxtest::FakeSnapInfo record;
    record.setInquiry(0x83, c.page);
    VpdOutcome o = fromRecord(record);
    EXPECT_EQ(o.rc, c.rc);
    EXPECT_EQ(o.port, c.port);
    EXPECT_EQ(o.serial, c.serial);
    EXPECT_EQ(o.name, c.name);
    EXPECT_EQ(o.error, c.error);
    if (!c.log.empty()) {
      EXPECT_TRUE(log.contains(c.log)) << log.text();
      EXPECT_TRUE(log.contains("L-1 [PureStorUtils::getVPDInfoForDevice2]")) << log.text();
    }
  }
}

class LiveVpdTest : public kxtest::VirtualLunFixture {};

TEST_F(LiveVpdTest, LivePageDecodesTheSameWay) {
  for (const PageCase& c : pageCases()) {
    SCOPED_TRACE(c.what);
    kxplatform::registerVirtualLun("/dev/sdb", {}, c.page);
    kxtest::FakeSnapInfo record;
    kxtest::FakeOSUtil util;
    std::string port, serial, name, error;
    EXPECT_EQ(getVPDInfoForDevice("/dev/sdb", port, serial, name, error, &util, &record, ""),
              c.rc);
    EXPECT_EQ(port, c.port);
    EXPECT_EQ(serial, c.serial);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(error, c.error);
  }
}

TEST_F(LiveVpdTest, InquiryFailureIsTheError) {
  kxtest::FakeSnapInfo record;
  std::string port, serial, name, error;
  EXPECT_EQ(getVPDInfoForDevice("/dev/null", port, serial, name, error, nullptr, &record, ""), 0);
  EXPECT_EQ(error, "/dev/null is not SCSI device");
  EXPECT_EQ(getVPDInfoForDevice("", port, serial, name, error, nullptr, &record, ""), 0);
  EXPECT_EQ(error, "Device name is empty.");
}

TEST(VpdDecodeTest, PageDumpGoesToTheRecordLog) {
  kxtest::FakeSnapInfo record;
  record.setInquiry(0x83, kxtest::padded(kxplatform::buildFlashArrayPage83(kxtest::sampleLun())));
  ASSERT_EQ(fromRecord(record).rc, 1);
  bool found = false;
  for (const kxhost::LogLine& line : record.logLines()) {
    if (line.withContext && line.level == 0 &&
        line.context == "PureStorUtils::getVPDInfoForDevice2" &&
        line.text.rfind("SCSI VPD Details [01==> 00 83 ", 0) == 0) {
      found = true;
    }
  }
  EXPECT_TRUE(found);
}

TEST(VpdDecodeTest, MissingRecordPageFails) {
  kxtest::FakeSnapInfo record;
  VpdOutcome o = fromRecord(record);
  EXPECT_EQ(o.rc, 0);
  EXPECT_EQ(o.error, "Failed to Obtain Std SCSI Buffer");
  EXPECT_EQ(o.serial, "");
}

const std::string kVmSource =
    "{frwtype:vmware,lunuuid:naa.624a9370aabbccddeeff001122334455,"
    "targetidentifier:524a9370abcdef01}";

TEST(VmWareVpdTest, SerialAndPortComeFromTheItems) {
  kxtest::FakeSnapInfo record;
  std::string serial, port, name = "untouched";
  EXPECT_EQ(getVPDInfoForVmWare(kVmSource, nullptr, &record, serial, port, name, ""), 1);
  EXPECT_EQ(serial, "AABBCCDDEEFF001122334455");
  EXPECT_EQ(port, "524a9370abcdef01");
  EXPECT_EQ(name, "untouched");
  // And through the common entry, which leaves the volume name empty.
  VpdOutcome o = fromRecord(record, kVmSource);
  EXPECT_EQ(o.rc, 1);
  EXPECT_EQ(o.serial, "AABBCCDDEEFF001122334455");
  EXPECT_EQ(o.port, "524a9370abcdef01");
  EXPECT_EQ(o.name, "");
}

TEST(VmWareVpdTest, FailuresAreLoggedOnTheRecord) {
  struct Case {
    std::string source, log;
  } cases[] = {
      {"{frwtype:vmware,targetidentifier:t1}",
       "Error is parsing JSON [{frwtype:vmware,targetidentifier:t1}] for lunuuid."},
      {"{frwtype:vmware,lunuuid:naa.624a9370aabbccddeeff001122334455}",
       "for targetidentifier."},
      {"{frwtype:vmware,lunuuid:naa.600a0b80aabbccddeeff001122334455,targetidentifier:t}",
       "Pure IEEE OUI number not found in lunuuid [naa.600a0b80aabbccddeeff001122334455]."},
      {"{frwtype:vmware,lunuuid:naa.624a9370aabbccddeeff00112233,targetidentifier:t}",
       "Volume serial number length is not valid. Serial Num [AABBCCDDEEFF00112233] lunuuid "
       "[naa.624a9370aabbccddeeff00112233]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    LogCapture log;
    kxtest::FakeSnapInfo record;
    std::string serial, port, name;
    EXPECT_EQ(getVPDInfoForVmWare(c.source, nullptr, &record, serial, port, name, ""), 0);
    ASSERT_EQ(record.logCount(c.log), 1u) << c.log;
    for (const kxhost::LogLine& line : record.logLines()) {
      if (line.text.find(c.log) == std::string::npos) continue;
      EXPECT_EQ(line.level, 2);
      EXPECT_EQ(line.context, "PureStorUtils::getVPDInfoForVmWare");
    }
    VpdOutcome o = fromRecord(record, c.source);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.error, "");
    EXPECT_TRUE(log.contains("L-1 [PureStorUtils::getVPDInfoForDevice2] Failed during "
                             "getVPDInfoForVmWare"));
  }
}

TEST(VmWareVpdTest, NoRecordFails) {
  LogCapture log;
  std::string serial, port, name;
  EXPECT_EQ(getVPDInfoForVmWare(kVmSource, nullptr, nullptr, serial, port, name, ""), 0);
  EXPECT_TRUE(log.contains("Invalid SnapInfo pointer."));
}

TEST(VmWareStdInquiryTest, HexTextConvertsPairByPair) {
  struct Case {
    std::string hex;
    Bytes start;
  } cases[] = {
      {"0000000050555245", {0, 0, 0, 0, 'P', 'U', 'R', 'E'}},
      {"ABC", {0xAB, 0x0C, 0}},
      {"G11GfF", {0x00, 0x01, 0xFF, 0}},
      {"", {0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hex);
    Bytes buf(255, 0xEE);
    std::string source = "{frwtype:vmware,standardinqury:" + c.hex + "}";
    EXPECT_EQ(getStdInqDetailsForVmWare(source, buf.data(), 255), 1);
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + c.start.size()), c.start);
    EXPECT_EQ(buf[254], 0);
  }
}

TEST(VmWareStdInquiryTest, TextLongerThanTheBufferFailsWritingNothing) {
  struct Case {
    size_t hexLen;
    int bufLen;
    std::string log;
  } cases[] = {
      {600, 255, "Insufficient buffer size[255]. Required size[300]"},
      {511, 255, "Insufficient buffer size[255]. Required size[255]"},
  };
  for (const Case& c : cases) {
    LogCapture log;
    Bytes buf(static_cast<size_t>(c.bufLen), 0xEE);
    std::string source = "{frwtype:vmware,standardinqury:" + std::string(c.hexLen, 'a') + "}";
    EXPECT_EQ(getStdInqDetailsForVmWare(source, buf.data(), c.bufLen), 0);
    EXPECT_TRUE(log.contains(c.log)) << log.text();
    EXPECT_EQ(buf, Bytes(buf.size(), 0xEE));
  }
  Bytes exact(255, 0xEE);
  std::string fits = "{standardinqury:" + std::string(510, 'a') + "}";
  EXPECT_EQ(getStdInqDetailsForVmWare(fits, exact.data(), 255), 1);
  EXPECT_EQ(exact, Bytes(255, 0xAA));
}

TEST(IsDeviceVmWareTest, OnlyTheExactValueCounts) {
  struct Case {
    std::string name;
    bool vmware;
  } cases[] = {
      {"/dev/sdb", false},
      {"{frwtype:vmware,lunuuid:x}", true},
      {"frwtype:vmware}", true},
      {"{frwtype:VMware,lunuuid:x}", false},
      {"{frwtype:vmware2,lunuuid:x}", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool flag = !c.vmware;
    EXPECT_EQ(isDeviceVmWare(c.name, flag), 1);
    EXPECT_EQ(flag, c.vmware);
  }
}

TEST(DumpTest, RowsOfSixteenBytes) {
  std::string out = "stale";
  dumpSCSIInqResponse(nullptr, 0, out);
  EXPECT_EQ(out, "");
  Bytes row{'P', 'U', 'R', 'E', 0x00, 0x1f, 0x20, '%', 0x7e, 1, 2, 3, 0xab, 0xcd, 0xef, 'z'};
  dumpSCSIInqResponse(row.data(), 0, out);
  EXPECT_EQ(out, "");
  dumpSCSIInqResponse(row.data(), 16, out);
  EXPECT_EQ(out,
            "01==> 50 55 52 45  00 1f 20 25 | 7e 01 02 03  ab cd ef 7a : PURE.. .~...\xab\xcd\xefz"
            "\n\n");
}

TEST(DumpTest, PartialLastRowShowsZeros) {
  Bytes page(255, 'A');
  std::string out;
  dumpSCSIInqResponse(page.data(), 255, out);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 32);
  const std::string last = "16==> 41 41 41 41  41 41 41 41 | 41 41 41 41  41 41 41 00 : "
                           "AAAAAAAAAAAAAAA.\n\n";
  ASSERT_GE(out.size(), last.size());
  EXPECT_EQ(out.substr(out.size() - last.size()), last);
  EXPECT_EQ(out.rfind("01==> ", 0), 0u);
}

TEST(StringToWWNTest, ColonsDroppedSixteenKept) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"21:00:00:24:ff:4c:0a:1b", "21000024ff4c0a1b"},
      {":::::", ""},
      {"", ""},
      {"21000024ff4c0a1b", "21000024ff4c0a1b"},
      {"21:00:00:24:ff:4c:0a:1b:99:88", "21000024ff4c0a1b"},
      {"2100", "2100"},
  };
  for (const Case& c : cases) EXPECT_EQ(StringToWWN(c.in), c.out) << c.in;
}

}  // namespace
