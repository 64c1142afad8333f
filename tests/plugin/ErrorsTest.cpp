// Error reporting onto a record and the argument validation.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "PureStorUtilsErrors.h"

namespace {

using kxtest::FakeOSUtil;
using kxtest::FakeSnapInfo;

TEST(SetErrorTest, LogsUnderContextThenSetsCodeAndMessage) {
  FakeSnapInfo record;
  setError(&record, KXSO::ERR_SNAP, "Pure Storage FlashArray-CREATE", "Snap failed.");
  EXPECT_EQ(record.errorCode(), 60001);
  EXPECT_EQ(record.errorMessage(), "Snap failed.");
  ASSERT_EQ(record.logLines().size(), 1u);
  EXPECT_TRUE(record.logLines()[0].withContext);
  EXPECT_EQ(record.logLines()[0].level, 2);
  EXPECT_EQ(record.logLines()[0].context, "Pure Storage FlashArray-CREATE");
  EXPECT_EQ(record.logLines()[0].text, "Snap failed.");
}

TEST(SetErrorTest, MessageIsTextNeverAFormat) {
  FakeSnapInfo record;
  const std::string message = "array said [100%s%n%d %x]";
  setError(&record, KXSO::ERR_IDENTIFICATION, "ctx", message.c_str());
  EXPECT_EQ(record.errorMessage(), message);
  ASSERT_EQ(record.logLines().size(), 1u);
  EXPECT_EQ(record.logLines()[0].text, message);
}

TEST(SetErrorTest, LaterErrorReplacesEarlier) {
  FakeSnapInfo record;
  setError(&record, KXSO::ERR_SNAP, "ctx", "first");
  setError(&record, KXSO::ERR_DELETE, "ctx", "second");
  EXPECT_EQ(record.errorCode(), 60004);
  EXPECT_EQ(record.errorMessage(), "second");
}

struct LengthCase {
  size_t length;
  size_t kept;
};

void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.length; }

class SetErrorLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(SetErrorLengthTest, CutAt2046Characters) {
  std::string message;
  for (size_t i = 0; i < GetParam().length; ++i) message += static_cast<char>('a' + i % 26);
  FakeSnapInfo record;
  setError(&record, KXSO::ERR_MOUNT, "ctx", message.c_str());
  EXPECT_EQ(record.errorMessage(), message.substr(0, GetParam().kept));
  ASSERT_EQ(record.logLines().size(), 1u);
  EXPECT_EQ(record.logLines()[0].text, message.substr(0, GetParam().kept));
}

INSTANTIATE_TEST_SUITE_P(Lengths, SetErrorLengthTest,
                         ::testing::Values(LengthCase{0, 0}, LengthCase{2045, 2045},
                                           LengthCase{2046, 2046}, LengthCase{2047, 2046},
                                           LengthCase{3000, 2046}));

struct NullCase {
  const char* name;
  bool record, context, message;
};

void PrintTo(const NullCase& c, std::ostream* os) { *os << c.name; }

class SetErrorNullTest : public ::testing::TestWithParam<NullCase> {};

TEST_P(SetErrorNullTest, DoesNothing) {
  FakeSnapInfo record;
  record.setErrorInfo(5, "kept");
  const NullCase& c = GetParam();
  // With a null record the call must simply return; the record beside it
  // shows nothing was written anywhere reachable.
  setError(c.record ? &record : nullptr, KXSO::ERR_SNAP, c.context ? "ctx" : nullptr,
           c.message ? "message" : nullptr);
  EXPECT_EQ(record.errorCode(), 5);
  EXPECT_EQ(record.errorMessage(), "kept");
  EXPECT_TRUE(record.logLines().empty());
}

INSTANTIATE_TEST_SUITE_P(Nulls, SetErrorNullTest,
                         ::testing::Values(NullCase{"NullRecord", false, true, true},
                                           NullCase{"NullContext", true, false, true},
                                           NullCase{"NullMessage", true, true, false},
                                           NullCase{"AllNull", false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SetErrorFTest, FormatsIntoTheErrorBufferAndArgumentsStayText) {
  FakeSnapInfo record;
  setErrorF(&record, KXSO::ERR_MAP_PREPARATION, "ctx", "Error on array[%s]. Err[%s]", "fa1",
            "bad %s%n");
  EXPECT_EQ(record.errorCode(), 62009);
  EXPECT_EQ(record.errorMessage(), "Error on array[fa1]. Err[bad %s%n]");
  EXPECT_TRUE(record.hasLog("Err[bad %s%n]"));

  const std::string big(3000, 'q');
  setErrorF(&record, KXSO::ERR_MAP_PREPARATION, "ctx", "x%s", big.c_str());
  EXPECT_EQ(record.errorMessage().size(), 2046u);
}

TEST(CheckPassedInDevicesTest, ValidArgumentsPassSilently) {
  kxtest::LogCapture capture;
  FakeOSUtil util(3);
  EXPECT_TRUE(checkPassedInDevices(util.records(), 3, &util));
  // Only the first count records are looked at.
  std::vector<KXSO::SnapInfo*> partial = {util.records()[0], nullptr};
  EXPECT_TRUE(checkPassedInDevices(partial.data(), 1, &util));
  EXPECT_FALSE(capture.contains("checkPassedInDevices"));
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(util.record(i).logLines().empty());
}

TEST(CheckPassedInDevicesTest, ChecksInOrderAndLogsTheFirstReason) {
  kxtest::LogCapture capture;
  FakeOSUtil util(2);
  // Count first: a negative count wins over a null array and util.
  EXPECT_FALSE(checkPassedInDevices(nullptr, -3, nullptr));
  // Then the array: a null array wins over a null util.
  EXPECT_FALSE(checkPassedInDevices(nullptr, 2, nullptr));
  // Then the util: it wins over a later null record.
  std::vector<KXSO::SnapInfo*> holes = {util.records()[0], nullptr};
  EXPECT_FALSE(checkPassedInDevices(holes.data(), 2, nullptr));
  EXPECT_FALSE(checkPassedInDevices(holes.data(), 2, &util));
  const std::vector<std::string> lines = capture.lines();
  ASSERT_EQ(lines.size(), 4u) << capture.text();
  const std::string prefix = " L-1 [PureStorUtils::checkPassedInDevices] ";
  EXPECT_NE(lines[0].find(prefix + "Device count[-3] not valid"), std::string::npos);
  EXPECT_NE(lines[1].find(prefix + "Device list is null"), std::string::npos);
  EXPECT_NE(lines[2].find(prefix + "Snap Util object is null"), std::string::npos);
  EXPECT_NE(lines[3].find(prefix + "Invalid SnapInfo pointer."), std::string::npos);
}

}  // namespace
