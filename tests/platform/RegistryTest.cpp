// Registry lookups from the registry file.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "FakeHost.h"
#include "KXPlatformConfig.h"
#include "KXPlatformInfo.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/kxtest-registry-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = name;
    kxplatform::setRegistryFile(path_);
  }
  void TearDown() override {
    unlink(path_.c_str());
    kxplatform::setRegistryFile("");
  }
  void writeRegistry(const std::string& text) {
    std::ofstream out(path_, std::ios::trunc);
    out << text;
  }
  std::string path_;
};

TEST_F(RegistryTest, ReadsValueOfSectionAndName) {
  writeRegistry(
      "# retry settings\n"
      "\n"
      "~Ferrowin/nPureStorPostSnapRetryCount = 5\n"
      "  ~Ferrowin/nPureStorPostSnapRetryInterval=-7  \n");
  int value = 0;
  EXPECT_TRUE(KXPlatformInfo::getRegInt("~Ferrowin", "nPureStorPostSnapRetryCount", &value));
  EXPECT_EQ(value, 5);
  EXPECT_TRUE(KXPlatformInfo::getRegInt("~Ferrowin", "nPureStorPostSnapRetryInterval", &value));
  EXPECT_EQ(value, -7);
}

TEST_F(RegistryTest, AbsentValuesLeaveOutputAlone) {
  writeRegistry("~Ferrowin/a = 1\n");
  int value = 99;
  EXPECT_FALSE(KXPlatformInfo::getRegInt("~Ferrowin", "b", &value));
  EXPECT_FALSE(KXPlatformInfo::getRegInt("Other", "a", &value));
  EXPECT_FALSE(KXPlatformInfo::getRegInt(nullptr, "a", &value));
  EXPECT_FALSE(KXPlatformInfo::getRegInt("~Ferrowin", nullptr, &value));
  EXPECT_FALSE(KXPlatformInfo::getRegInt("~Ferrowin", "a", nullptr));
  EXPECT_EQ(value, 99);
}

TEST_F(RegistryTest, MissingOrUnsetFileMeansNoValues) {
  int value = 99;
  unlink(path_.c_str());
  EXPECT_FALSE(KXPlatformInfo::getRegInt("~Ferrowin", "a", &value));
  kxplatform::setRegistryFile("");
  EXPECT_FALSE(KXPlatformInfo::getRegInt("~Ferrowin", "a", &value));
  EXPECT_EQ(value, 99);
}

TEST_F(RegistryTest, MalformedLinesSkippedWithALogLine) {
  kxtest::LogCapture capture;
  writeRegistry(
      "~Ferrowin/a = 1\n"
      "no equals sign\n"
      "~Ferrowin/b = twelve\n"
      "noslash = 3\n"
      "/c = 4\n"
      "~Ferrowin/ = 5\n"
      "~Ferrowin/d = 99999999999\n"
      "~Ferrowin/e = 6\n");
  int value = 0;
  EXPECT_TRUE(KXPlatformInfo::getRegInt("~Ferrowin", "e", &value));
  EXPECT_EQ(value, 6);
  EXPECT_FALSE(KXPlatformInfo::getRegInt("~Ferrowin", "b", &value));
  EXPECT_FALSE(KXPlatformInfo::getRegInt("~Ferrowin", "d", &value));
  for (int line : {2, 3, 4, 5, 6, 7}) {
    EXPECT_TRUE(capture.contains("malformed registry line " + std::to_string(line) + " ")) << line;
  }
  EXPECT_FALSE(capture.contains("malformed registry line 1 "));
  EXPECT_FALSE(capture.contains("malformed registry line 8 "));
}

TEST_F(RegistryTest, LastLineWins) {
  writeRegistry("~Ferrowin/a = 1\n~Ferrowin/a = 2\nOther/a = 7\n~Ferrowin/a = 3\n");
  int value = 0;
  EXPECT_TRUE(KXPlatformInfo::getRegInt("~Ferrowin", "a", &value));
  EXPECT_EQ(value, 3);
}

TEST_F(RegistryTest, SectionMayContainSlashes) {
  writeRegistry("Top/Sub/name = 8\n");
  int value = 0;
  EXPECT_TRUE(KXPlatformInfo::getRegInt("Top/Sub", "name", &value));
  EXPECT_EQ(value, 8);
  EXPECT_FALSE(KXPlatformInfo::getRegInt("Top", "Sub/name", &value));
}

}  // namespace
