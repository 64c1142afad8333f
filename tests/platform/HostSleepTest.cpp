// The sleep hook: sleeps go to it with their callers, and it can be
// replaced and removed.
#include <gtest/gtest.h>

#include <string>

#include "FakeHost.h"
#include "HostSleep.h"

namespace {

TEST(HostSleepTest, HookReceivesMillisecondsAndCaller) {
  kxtest::SleepRecorder recorder;
  KX_HOST_SLEEP(3000);
  const int line = __LINE__ - 1;
  HostSleep(20000, "elsewhere.cpp", 7);
  const auto calls = recorder.calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].milliseconds, 3000u);
  EXPECT_NE(calls[0].file.find("HostSleepTest.cpp"), std::string::npos);
  EXPECT_EQ(calls[0].line, line);
  EXPECT_EQ(calls[1].file, "elsewhere.cpp");
  EXPECT_EQ(recorder.totalMs(), 23000u);
  EXPECT_EQ(recorder.sleeps(), (std::vector<unsigned int>{3000, 20000}));
}

TEST(HostSleepTest, RecorderSeesOnlySleepsOfItsLifetime) {
  {
    kxtest::SleepRecorder first;
    HostSleep(5, nullptr, 0);
    EXPECT_EQ(first.sleeps(), std::vector<unsigned int>{5});
  }
  HostSleep(1, nullptr, 0);  // real again, and short
  kxtest::SleepRecorder second;
  HostSleep(7, nullptr, 0);
  EXPECT_EQ(second.sleeps(), std::vector<unsigned int>{7});
}

}  // namespace
