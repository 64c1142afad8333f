// The model's record: capacities honoured, too-small answers, binding,
// failure knobs and the log.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>

#include "FakeHost.h"

namespace {

using kxtest::FakeOSUtil;
using kxtest::FakeSnapInfo;

constexpr char kGuard = '\x5a';

// A buffer with guard bytes after the capacity handed to the getter.
struct GuardedBuffer {
  explicit GuardedBuffer(size_t capacity) : capacity(capacity), bytes(capacity + 16, kGuard) {}
  bool guardIntact() const {
    for (size_t i = capacity; i < bytes.size(); ++i)
      if (bytes[i] != kGuard) return false;
    return true;
  }
  size_t capacity;
  std::string bytes;
  char* data() { return &bytes[0]; }
};

struct ShortGetterCase {
  const char* name;
  std::function<void(FakeSnapInfo&, const std::string&)> set;
  std::function<int(FakeSnapInfo&, char*, short*)> get;
};

const ShortGetterCase kShortGetters[] = {
    {"getSnapUUID", [](FakeSnapInfo& r, const std::string& t) { r.state().snapUUID = t; },
     [](FakeSnapInfo& r, char* b, short* l) { return r.getSnapUUID(b, l); }},
    {"getArrayInfo", [](FakeSnapInfo& r, const std::string& t) { r.state().arrayInfo = t; },
     [](FakeSnapInfo& r, char* b, short* l) { return r.getArrayInfo(b, l); }},
    {"getHostIdentifier", [](FakeSnapInfo& r, const std::string& t) { r.setHostIdentifier(t); },
     [](FakeSnapInfo& r, char* b, short* l) { return r.getHostIdentifier(b, l); }},
    {"getSourceDeviceName", [](FakeSnapInfo& r, const std::string& t) { r.setSourceDevice(t); },
     [](FakeSnapInfo& r, char* b, short* l) { return r.getSourceDeviceName(b, l); }},
    {"getSnapDeviceName",
     [](FakeSnapInfo& r, const std::string& t) { r.state().snapDeviceName = t; },
     [](FakeSnapInfo& r, char* b, short* l) { return r.getSnapDeviceName(b, l); }},
    {"getMetadata", [](FakeSnapInfo& r, const std::string& t) { r.setMeta(6, t); },
     [](FakeSnapInfo& r, char* b, short* l) { return r.getMetadata(6, b, l); }},
};

void PrintTo(const ShortGetterCase& c, std::ostream* os) { *os << c.name; }

class ShortGetterTest : public ::testing::TestWithParam<ShortGetterCase> {};

TEST_P(ShortGetterTest, CopiesWhenTextAndNulFit) {
  FakeSnapInfo record;
  GetParam().set(record, "abcdef");
  GuardedBuffer buf(7);
  short len = 7;
  EXPECT_EQ(GetParam().get(record, buf.data(), &len), 0);
  EXPECT_STREQ(buf.data(), "abcdef");
  EXPECT_TRUE(buf.guardIntact());
}

TEST_P(ShortGetterTest, ShortCapacityAnswersSizeNeededWithoutOverrun) {
  FakeSnapInfo record;
  GetParam().set(record, "abcdef");
  GuardedBuffer buf(6);
  short len = 6;
  EXPECT_EQ(GetParam().get(record, buf.data(), &len), 2);
  EXPECT_EQ(len, 7);
  EXPECT_EQ(buf.bytes[0], '\0');
  EXPECT_TRUE(buf.guardIntact());
}

TEST_P(ShortGetterTest, KnobMakesItFail) {
  FakeSnapInfo record;
  GetParam().set(record, "abc");
  record.failOn(GetParam().name);
  char buf[16];
  std::memset(buf, 'x', sizeof buf);
  short len = sizeof buf;
  EXPECT_EQ(GetParam().get(record, buf, &len), 1);
  EXPECT_EQ(buf[0], '\0');
}

TEST_P(ShortGetterTest, NullBufferOrLengthFails) {
  FakeSnapInfo record;
  GetParam().set(record, "abc");
  char buf[16];
  short len = sizeof buf;
  EXPECT_EQ(GetParam().get(record, nullptr, &len), 1);
  EXPECT_EQ(GetParam().get(record, buf, nullptr), 1);
}

TEST_P(ShortGetterTest, ForcedTooSmallAnswersThenCopies) {
  FakeSnapInfo record;
  GetParam().set(record, "abc");
  record.state().tooSmall[GetParam().name] = 2;
  char buf[4096];
  short len = 4095;
  EXPECT_EQ(GetParam().get(record, buf, &len), 2);
  EXPECT_EQ(len, 4096);
  EXPECT_EQ(GetParam().get(record, buf, &len), 2);
  EXPECT_EQ(len, 4097);
  len = 4096;
  EXPECT_EQ(GetParam().get(record, buf, &len), 0);
  EXPECT_STREQ(buf, "abc");
}

INSTANTIATE_TEST_SUITE_P(Getters, ShortGetterTest, ::testing::ValuesIn(kShortGetters),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModelSnapInfoTest, MetadataMissingTypedKnobAndSharedLargeStore) {
  FakeSnapInfo record;
  char buf[64];
  short len = sizeof buf;
  EXPECT_EQ(record.getMetadata(6, buf, &len), 1);

  EXPECT_EQ(record.setMetadataLarge(61, "3"), 0);
  EXPECT_EQ(record.getMetadata(61, buf, &len), 0);
  EXPECT_STREQ(buf, "3");
  std::string text;
  EXPECT_EQ(record.getMetadataString(61, text), 1);
  EXPECT_EQ(text, "3");
  EXPECT_EQ(record.setMetadataLarge(61, nullptr), 0);
  EXPECT_EQ(record.getMetadataLargeString(61, text), 0);

  record.setMeta(6, "a");
  record.setMeta(82, "b");
  record.failOn("getMetadata:6");
  EXPECT_EQ(record.getMetadata(6, buf, &len), 1);
  EXPECT_EQ(record.getMetadata(82, buf, &len), 0);
  record.failOn("setMetadataLarge");
  EXPECT_EQ(record.setMetadataLarge(91, "x"), 1);
  EXPECT_FALSE(record.hasMeta(91));
}

TEST(ModelSnapInfoTest, LargeGetterHonoursIntCapacity) {
  FakeSnapInfo record;
  record.setMeta(91, std::string(100, 'q'));
  GuardedBuffer buf(50);
  int len = 50;
  EXPECT_EQ(record.getMetadataLarge(91, buf.data(), &len), 1);
  EXPECT_EQ(len, 101);
  EXPECT_TRUE(buf.guardIntact());
  GuardedBuffer big(101);
  EXPECT_EQ(record.getMetadataLarge(91, big.data(), &len), 0);
  EXPECT_EQ(std::string(big.data()), std::string(100, 'q'));
  EXPECT_TRUE(big.guardIntact());
}

TEST(ModelSnapInfoTest, ConfigLookups) {
  FakeSnapInfo record;
  record.setConfig("SMCONFIG_NAME_REMOTE_SNAP_PX", "proxy1");
  record.setConfig("SMCONFIG_NAME_RETRY", 7);
  char buf[64];
  int len = sizeof buf;
  EXPECT_EQ(record.getConfigString("SMCONFIG_NAME_REMOTE_SNAP_PX", buf, &len), 0);
  EXPECT_STREQ(buf, "proxy1");
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(record.getConfigString("UNSET", buf, &len), 0);
  EXPECT_STREQ(buf, "");
  int value = 0;
  EXPECT_EQ(record.getConfigInt("SMCONFIG_NAME_RETRY", &value), 0);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(record.getConfigInt("UNSET", &value), 1);
  record.failOn("getConfigInt:SMCONFIG_NAME_RETRY");
  EXPECT_EQ(record.getConfigInt("SMCONFIG_NAME_RETRY", &value), 1);
  len = 3;
  EXPECT_EQ(record.getConfigString("SMCONFIG_NAME_REMOTE_SNAP_PX", buf, &len), 2);
  EXPECT_EQ(len, 7);
}

TEST(ModelSnapInfoTest, BindingThroughRegistry) {
  FakeOSUtil util(1);
  const int id = util.addArray("fa1", "fa1-info", {"fa1.example"});
  FakeSnapInfo& record = util.record(0);
  EXPECT_LT(record.getArrayId(), 0);
  char buf[64];
  short len = sizeof buf;
  EXPECT_EQ(record.getArrayInfo(buf, &len), 1);  // unbound and no info

  EXPECT_EQ(record.setArrayIdentity("unknown|x"), 1);
  EXPECT_LT(record.getArrayId(), 0);
  EXPECT_EQ(record.setArrayIdentity("other|fa1.example"), 0);
  EXPECT_EQ(record.getArrayId(), id);
  EXPECT_EQ(record.getArrayInfo(buf, &len), 0);
  EXPECT_STREQ(buf, "fa1-info");
  EXPECT_EQ(record.state().arrayIdentity, "other|fa1.example");
}

TEST(ModelSnapInfoTest, BinderOverridesRegistry) {
  FakeSnapInfo record;
  record.setBinder([](kxhost::ModelSnapInfo&, const std::string& identity) {
    return identity == "yes" ? 42 : -1;
  });
  EXPECT_EQ(record.setArrayIdentity("no"), 1);
  EXPECT_EQ(record.setArrayIdentity("yes"), 0);
  EXPECT_EQ(record.getArrayId(), 42);
}

TEST(ModelSnapInfoTest, InquiryPagesPaddedOrAbsent) {
  FakeSnapInfo record;
  EXPECT_EQ(record.getInquiryData(0x83), nullptr);
  record.setInquiry(0, {'a', 'b'});
  const unsigned char* page = record.getInquiryData(0);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page[0], 'a');
  EXPECT_EQ(page[254], 0);
  record.failOn("getInquiryData:0");
  EXPECT_EQ(record.getInquiryData(0), nullptr);
}

TEST(ModelSnapInfoTest, FlagsValuesAndSimpleState) {
  FakeSnapInfo record;
  record.setDeviceFlags(0x1000000);
  record.setDeviceFlags(0x8000000);
  record.clearDeviceFlags(0x1000000);
  EXPECT_EQ(record.getDeviceFlags(), 0x8000000u);
  record.setJobFlags(0x8000);
  EXPECT_TRUE(record.hasJobFlag(0x8000));
  EXPECT_FALSE(record.hasJobFlag(0x1000));
  int v = 0;
  EXPECT_EQ(record.getValue(KXSO::GET_VALUE_VANTOR_NUMBER, &v), 1);
  record.setValueOf(KXSO::GET_VALUE_VANTOR_NUMBER, 9);
  EXPECT_EQ(record.getValue(KXSO::GET_VALUE_VANTOR_NUMBER, &v), 0);
  EXPECT_EQ(v, 9);
  std::string list, esx;
  EXPECT_EQ(record.getRdmDeviceInfo(list, esx), 0);
  record.state().hasRdmInfo = true;
  record.state().rdm = {"d1,d2", "esx1"};
  EXPECT_EQ(record.getRdmDeviceInfo(list, esx), 1);
  EXPECT_EQ(esx, "esx1");
  record.setErrorInfo(60001, "boom");
  record.setErrorInfo(0, "");
  EXPECT_EQ(record.errorCode(), 0);
  EXPECT_EQ(record.errorMessage(), "");
}

TEST(ModelSnapInfoTest, LogKeepsLevelContextAndFormattedText) {
  FakeSnapInfo record;
  record.logMessage(1, "Executing in local mode.");
  record.logWithContext(2, "ctx", "value [%d] [%s]", 5, "x");
  ASSERT_EQ(record.logLines().size(), 2u);
  EXPECT_FALSE(record.logLines()[0].withContext);
  EXPECT_EQ(record.logLines()[1].level, 2);
  EXPECT_EQ(record.logLines()[1].context, "ctx");
  EXPECT_EQ(record.logLines()[1].text, "value [5] [x]");
  EXPECT_TRUE(record.hasLog("[5]"));
  EXPECT_FALSE(record.hasLog("[6]"));
  EXPECT_EQ(record.logText(), "Executing in local mode.\nvalue [5] [x]\n");
  EXPECT_EQ(record.logCount("e"), 2u);
}

}  // namespace
