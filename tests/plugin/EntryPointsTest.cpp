// The entry surface called directly: version, fixed-result stubs and the
// validation every record-taking entry point runs first.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "EntryPointTable.h"

namespace {

using kxtest::FakeOSUtil;

struct VersionCase {
  const char* name;
  bool major, minor, revision;  // pointer given
};

const VersionCase kVersionCases[] = {
    {"AllPointers", true, true, true},
    {"NullMajor", false, true, true},
    {"NullMinor", true, false, true},
    {"NullRevision", true, true, false},
    {"AllNull", false, false, false},
};

class VersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionTest, WritesOneZeroOneOnlyWithAllPointers) {
  const VersionCase& c = GetParam();
  short major = -7, minor = -7, revision = -7;
  kxso_version(c.major ? &major : nullptr, c.minor ? &minor : nullptr,
               c.revision ? &revision : nullptr);
  const bool all = c.major && c.minor && c.revision;
  EXPECT_EQ(major, all ? 1 : -7);
  EXPECT_EQ(minor, all ? 0 : -7);
  EXPECT_EQ(revision, all ? 1 : -7);
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionTest, ::testing::ValuesIn(kVersionCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Stubs answer their fixed result whatever they are given, valid or not,
// and leave the records alone.
class StubTest : public ::testing::TestWithParam<std::tuple<size_t, size_t>> {};

TEST_P(StubTest, FixedResultRecordsUntouched) {
  const kxtest::StubInfo& stub = kxtest::stubEntries()[std::get<0>(GetParam())];
  const size_t variant = std::get<1>(GetParam());
  FakeOSUtil util;
  kxtest::fillJob(util);
  auto fn = reinterpret_cast<kxtest::RecordEntry>(kxtest::linkedEntry(stub.name));
  ASSERT_NE(fn, nullptr);
  int rc = -100;
  if (variant == 0) {
    rc = fn(util.records(), util.count(), &util);
  } else {
    const kxtest::InvalidCase& invalid = kxtest::invalidCases()[variant - 1];
    std::vector<KXSO::SnapInfo*> storage;
    const kxtest::CallArgs args = invalid.make(util, storage);
    rc = fn(args.records, args.count, args.util);
  }
  EXPECT_EQ(rc, stub.result);
  for (int i = 0; i < 3; ++i) {
    const kxtest::FakeSnapInfo& r = util.record(static_cast<size_t>(i));
    EXPECT_EQ(r.status(), 7);
    EXPECT_EQ(r.errorMessage(), "earlier error " + std::to_string(i));
    EXPECT_TRUE(r.logLines().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Stubs, StubTest,
    ::testing::Combine(::testing::Range<size_t>(0, kxtest::stubEntries().size()),
                       ::testing::Range<size_t>(0, kxtest::invalidCases().size() + 1)),
    [](const auto& info) {
      const size_t v = std::get<1>(info.param);
      return std::string(kxtest::stubEntries()[std::get<0>(info.param)].name) + "_" +
             (v == 0 ? std::string("ValidArguments") : kxtest::invalidCases()[v - 1].name);
    });

class InvalidArgumentsTest : public ::testing::TestWithParam<std::tuple<size_t, size_t>> {};

TEST_P(InvalidArgumentsTest, ReturnsOneTouchingNoRecord) {
  const kxtest::EntryInfo& entry = kxtest::validatingEntries()[std::get<0>(GetParam())];
  kxtest::checkInvalidCall(entry, kxtest::linkedEntry(entry.name),
                           kxtest::invalidCases()[std::get<1>(GetParam())]);
}

INSTANTIATE_TEST_SUITE_P(
    Linked, InvalidArgumentsTest,
    ::testing::Combine(::testing::Range<size_t>(0, kxtest::validatingEntries().size()),
                       ::testing::Range<size_t>(0, kxtest::invalidCases().size())),
    [](const auto& info) {
      return std::string(kxtest::validatingEntries()[std::get<0>(info.param)].name) + "_" +
             kxtest::invalidCases()[std::get<1>(info.param)].name;
    });

}  // namespace
