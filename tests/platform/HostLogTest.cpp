// The host debug log: line layout, level filter, robustness and the log
// file following the configuration.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "FakeHost.h"
#include "HostLog.h"
#include "KXPlatformConfig.h"

namespace {

using kxtest::LogCapture;

TEST(HostLogTest, LineCarriesTimeLevelContextAndMessage) {
  LogCapture capture;
  HostLog log("Unit::context");
  log.debugLvl(1, "value [%d] name [%s]", 42, "abc");
  const std::vector<std::string> lines = capture.lines();
  ASSERT_EQ(lines.size(), 1u);
  const std::regex layout(
      R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}\.\d{3}Z L1 \[Unit::context\] value \[42\] name \[abc\]$)");
  EXPECT_TRUE(std::regex_match(lines[0], layout)) << lines[0];
}

TEST(HostLogTest, DebugLvlUsesTheContextGivenAndGlobalHasNone) {
  LogCapture capture;
  HostLog global;
  global.debugLvl(-1, "global line");
  HostLog local("Own");
  local.DebugLvl("Other", 2, "contexted line");
  EXPECT_TRUE(capture.contains("L-1 [] global line"));
  EXPECT_TRUE(capture.contains("L2 [Other] contexted line"));
  EXPECT_FALSE(capture.contains("[Own]"));
}

TEST(HostLogTest, LevelFilterDropsMoreDetailedLines) {
  LogCapture capture;
  kxplatform::setLogLevel(1);
  HostLog log("Filter");
  for (int level : {-1, 0, 1, 2, 4}) log.debugLvl(level, "at level %d", level);
  EXPECT_TRUE(capture.contains("at level -1"));
  EXPECT_TRUE(capture.contains("at level 0"));
  EXPECT_TRUE(capture.contains("at level 1"));
  EXPECT_FALSE(capture.contains("at level 2"));
  EXPECT_FALSE(capture.contains("at level 4"));
}

TEST(HostLogTest, WriteTakesTextLiterallyAndOddInputsDoNotThrow) {
  LogCapture capture;
  HostLog log(nullptr);
  log.write("Lit", 1, "100%s%n%d done");
  EXPECT_NO_THROW(log.write(nullptr, 1, nullptr));
  EXPECT_NO_THROW(log.debugLvl(1, nullptr));
  EXPECT_NO_THROW(log.DebugLvl(nullptr, 1, "%s", "after null context"));
  EXPECT_TRUE(capture.contains("[Lit] 100%s%n%d done"));
  EXPECT_TRUE(capture.contains("after null context"));
}

TEST(HostLogTest, LongMessageKeptWholeAndTrailingNewlinesDropped) {
  LogCapture capture;
  HostLog log("Long");
  const std::string big(10000, 'z');
  log.debugLvl(1, "%s\n\n", big.c_str());
  const std::vector<std::string> lines = capture.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(big), std::string::npos);
  EXPECT_EQ(lines[0].back(), 'z');
}

TEST(HostLogTest, ChangedLogFileTakesEffectOnTheNextLine) {
  LogCapture first;
  HostLog log("Switch");
  log.debugLvl(1, "into the first");
  {
    LogCapture second;
    log.debugLvl(1, "into the second");
    EXPECT_TRUE(second.contains("into the second"));
  }
  log.debugLvl(1, "back in the first");
  EXPECT_TRUE(first.contains("into the first"));
  EXPECT_FALSE(first.contains("into the second"));
  EXPECT_TRUE(first.contains("back in the first"));
}

TEST(HostLogTest, ConcurrentLinesStayWhole) {
  LogCapture capture;
  constexpr int kThreads = 4;
  constexpr int kLines = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      HostLog log("Threads");
      for (int i = 0; i < kLines; ++i) log.debugLvl(1, "thread %d line %d end", t, i);
    });
  }
  for (std::thread& th : threads) th.join();
  const std::vector<std::string> lines = capture.lines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
  const std::regex whole(R"(^\S+ L1 \[Threads\] thread \d line \d+ end$)");
  for (const std::string& line : lines) ASSERT_TRUE(std::regex_match(line, whole)) << line;
}

}  // namespace
