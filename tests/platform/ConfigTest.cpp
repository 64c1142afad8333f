// Configuration: the environment read on use, setters winning over it, and
// the C setter refusing unknown names and unparsable values.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <ostream>
#include <string>

#include "KXPlatformConfig.h"

namespace {

// Each environment case runs before any setter of its value.
TEST(ConfigTest, EnvironmentReadOnUseThenSetterWins) {
  setenv("KX_HTTP_TIMEOUT", "77", 1);
  EXPECT_EQ(kxplatform::httpSettings().timeoutSec, 77);
  setenv("KX_HTTP_TIMEOUT", "78", 1);
  EXPECT_EQ(kxplatform::httpSettings().timeoutSec, 78);
  kxplatform::setHttpTimeout(30);
  setenv("KX_HTTP_TIMEOUT", "79", 1);
  EXPECT_EQ(kxplatform::httpSettings().timeoutSec, 30);

  setenv("KX_REGISTRY_FILE", "/env/registry", 1);
  EXPECT_EQ(kxplatform::registryFile(), "/env/registry");
  kxplatform::setRegistryFile("/set/registry");
  EXPECT_EQ(kxplatform::registryFile(), "/set/registry");
  unsetenv("KX_HTTP_TIMEOUT");
  unsetenv("KX_REGISTRY_FILE");
}

TEST(ConfigTest, UnusableEnvironmentFallsBackToDefaults) {
  setenv("KX_HTTP_CONNECT_TIMEOUT", "soon", 1);
  EXPECT_EQ(kxplatform::httpSettings().connectTimeoutSec, 15);
  setenv("KX_HTTP_CONNECT_TIMEOUT", "-4", 1);
  EXPECT_EQ(kxplatform::httpSettings().connectTimeoutSec, 15);
  setenv("KX_HOSTLOG_LEVEL", "verbose", 1);
  EXPECT_EQ(kxplatform::logLevel(), 4);
  setenv("KX_HTTP_INSECURE", "perhaps", 1);
  EXPECT_FALSE(kxplatform::httpSettings().insecure);
  setenv("KX_HTTP_INSECURE", "YES", 1);
  EXPECT_TRUE(kxplatform::httpSettings().insecure);
  unsetenv("KX_HTTP_CONNECT_TIMEOUT");
  unsetenv("KX_HOSTLOG_LEVEL");
  unsetenv("KX_HTTP_INSECURE");
}

struct SetCase {
  const char* name;
  const char* value;
};

void PrintTo(const SetCase& c, std::ostream* os) {
  *os << (c.name ? c.name : "null") << "=" << (c.value ? c.value : "null");
}

const SetCase kRefused[] = {
    {nullptr, "1"},
    {"KX_HTTP_CAFILE", nullptr},
    {"KX_NOT_A_SETTING", "1"},
    {"kx_hostlog_level", "1"},
    {"KX_HOSTLOG_LEVEL", "abc"},
    {"KX_HOSTLOG_LEVEL", ""},
    {"KX_HOSTLOG_LEVEL", "2x"},
    {"KX_HOSTLOG_LEVEL", "4294967296"},
    {"KX_HTTP_TIMEOUT", "0"},
    {"KX_HTTP_TIMEOUT", "-5"},
    {"KX_HTTP_CONNECT_TIMEOUT", "12s"},
    {"KX_HTTP_CONNECT_TIMEOUT", "99999999999999999999999"},
    {"KX_HTTP_INSECURE", "maybe"},
};

class KxplatformSetRefusedTest : public ::testing::TestWithParam<SetCase> {};

TEST_P(KxplatformSetRefusedTest, AnswersMinusOneAndChangesNothing) {
  ASSERT_EQ(kxplatform_set("KX_HTTP_TIMEOUT", "41"), 0);
  ASSERT_EQ(kxplatform_set("KX_HTTP_CONNECT_TIMEOUT", "9"), 0);
  ASSERT_EQ(kxplatform_set("KX_HOSTLOG_LEVEL", "3"), 0);
  ASSERT_EQ(kxplatform_set("KX_HTTP_INSECURE", "no"), 0);
  EXPECT_EQ(kxplatform_set(GetParam().name, GetParam().value), -1);
  const kxplatform::HttpSettings http = kxplatform::httpSettings();
  EXPECT_EQ(http.timeoutSec, 41);
  EXPECT_EQ(http.connectTimeoutSec, 9);
  EXPECT_FALSE(http.insecure);
  EXPECT_EQ(kxplatform::logLevel(), 3);
}

INSTANTIATE_TEST_SUITE_P(Cases, KxplatformSetRefusedTest, ::testing::ValuesIn(kRefused));

TEST(ConfigTest, KxplatformSetAcceptsEachName) {
  EXPECT_EQ(kxplatform_set("KX_HOSTLOG_FILE", "/tmp/x.log"), 0);
  EXPECT_EQ(kxplatform::logFile(), "/tmp/x.log");
  EXPECT_EQ(kxplatform_set("KX_HOSTLOG_FILE", ""), 0);
  EXPECT_EQ(kxplatform::logFile(), "");
  EXPECT_EQ(kxplatform_set("KX_HOSTLOG_LEVEL", "-1"), 0);
  EXPECT_EQ(kxplatform::logLevel(), -1);
  EXPECT_EQ(kxplatform_set("KX_REGISTRY_FILE", "/r"), 0);
  EXPECT_EQ(kxplatform::registryFile(), "/r");
  EXPECT_EQ(kxplatform_set("KX_HTTP_CAFILE", "/ca.pem"), 0);
  EXPECT_EQ(kxplatform_set("KX_HTTP_INSECURE", "on"), 0);
  EXPECT_EQ(kxplatform_set("KX_HTTP_CONNECT_TIMEOUT", "3"), 0);
  EXPECT_EQ(kxplatform_set("KX_HTTP_TIMEOUT", "60"), 0);
  const kxplatform::HttpSettings http = kxplatform::httpSettings();
  EXPECT_EQ(http.caFile, "/ca.pem");
  EXPECT_TRUE(http.insecure);
  EXPECT_EQ(http.connectTimeoutSec, 3);
  EXPECT_EQ(http.timeoutSec, 60);
}

}  // namespace
