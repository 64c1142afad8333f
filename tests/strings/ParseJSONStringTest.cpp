// The loose name lookup: where a value starts and ends, what is logged, and
// that no log line carries a password.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeHost.h"
#include "PureStorUtilsStrings.h"

namespace {

const std::string kContext = "[PureStorUtils::::parseJSONString] ";

struct LookupCase {
  std::string text;
  std::string name;
  int result;
  std::string value;  // when found
  std::string log;    // a line containing this (level, context, message)
};

class ParseJSONStringTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(ParseJSONStringTest, FindsValueOrSaysWhyNot) {
  const LookupCase& c = GetParam();
  kxtest::LogCapture capture;
  std::string value = "untouched";
  EXPECT_EQ(parseJSONString(c.text, c.name, value), c.result);
  EXPECT_EQ(value, c.result == 1 ? c.value : "untouched");
  EXPECT_EQ(capture.count(c.log), 1u) << capture.text();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseJSONStringTest,
    ::testing::Values(
        // A plain substring search: "type" is found inside "frwtype".
        LookupCase{"{frwtype:vmware,type:disk}", "type", 1, "vmware",
                   "L2 " + kContext + "JSON value found [type = vmware]"},
        LookupCase{"{frwtype:vmware,lunuuid:naa.624a9370abc}", "lunuuid", 1,
                   "naa.624a9370abc",
                   "L2 " + kContext + "JSON value found [lunuuid = naa.624a9370abc]"},
        LookupCase{"x:1,a:2}", "a", 1, "2", "JSON value found [a = 2]"},
        // The value ends at the first "," after the name even past a "}".
        LookupCase{"{a:1},b:2", "a", 1, "1}", "JSON value found [a = 1}]"},
        // Neither trimmed nor unquoted; an empty value is a value.
        LookupCase{"{\"a\": \"x y\" ,b:1}", "a", 1, " \"x y\" ",
                   "JSON value found [a =  \"x y\" ]"},
        LookupCase{"{a:,b:2}", "a", 1, "", "JSON value found [a = ]"},
        LookupCase{"a:1", "a", 0, "", "L4 " + kContext + "Item separator character not found"},
        LookupCase{"a,b:1", "a", 0, "", "L4 " + kContext + "No value found for name [a]"},
        LookupCase{"abc", "a", 0, "",
                   "L4 " + kContext + "Name-value separator character not found"},
        LookupCase{"{a:1}", "z", 0, "",
                   "L4 " + kContext + "Name [z] not found in JSON string [{a:1}]"},
        LookupCase{"", "a", 0, "",
                   "L4 " + kContext +
                       "Either JSON string or search name is empty. JSON string [] Name [a]"},
        LookupCase{"{a:1}", "", 0, "",
                   "Either JSON string or search name is empty. JSON string [{a:1}] Name []"}));

TEST(ParseJSONString, ValueIsTakenUpToAnEmbeddedNul) {
  std::string value;
  ASSERT_EQ(parseJSONString(std::string("{a:xy\0z,b:1}", 12), "a", value), 1);
  EXPECT_EQ(value, "xy");
}

TEST(ParseJSONString, LongestValueFitsLongerIsRefused) {
  kxtest::LogCapture capture;
  for (size_t size : {kMaxJSONValueLength - 1, kMaxJSONValueLength}) {
    std::string value;
    const std::string big(size, 'v');
    ASSERT_EQ(parseJSONString("{a:" + big + "}", "a", value), 1) << size;
    EXPECT_EQ(value, big);
  }
  for (size_t size : {kMaxJSONValueLength + 1, size_t{5000}}) {
    std::string value = "untouched";
    EXPECT_EQ(parseJSONString("{a:" + std::string(size, 'v') + ",b:1}", "a", value), 0) << size;
    EXPECT_EQ(value, "untouched");
  }
  EXPECT_EQ(capture.count("L-1 " + kContext + "Value of name [a] is longer than 1023 bytes"),
            2u);
}

// Array-info strings with the password in every position, and lookups of
// names that reach into it (none of them holds a checked piece itself).
TEST(ParseJSONString, NeverLogsAPassword) {
  const std::string secret = "Zq9#pw,X7";
  const std::vector<std::string> infos = {
      "{hostid:7,arrayId:abc,hostUserName:u,hostPassword:" + secret + ",engineName:e}",
      "{hostid:7,hostPassword:" + secret + ",engineName:e,arrayId:abc,hostUserName:u}",
      "{hostid:7,arrayId:abc,hostUserName:u,engineName:e,hostPassword:" + secret + "}",
      "{hostPassword:" + secret + ",hostid:7,arrayId:abc}",
      "{hostid:7,hostPassword:" + secret,
  };
  const std::vector<std::string> names = {
      "hostPassword", "Password", "word", "d", "q9", "w,X", "#p", "hostUserName", "engineName",
      "arrayId",      "hostid",   "e",    "7", ",",   ":",  "missing", ""};
  kxtest::LogCapture capture;
  int found = 0;
  for (const std::string& info : infos) {
    for (const std::string& name : names) {
      std::string value;
      found += parseJSONString(info, name, value);
    }
  }
  EXPECT_GT(found, 0);
  const std::string logged = capture.text();
  EXPECT_FALSE(logged.empty());
  for (const std::string& piece : {std::string("Zq9"), std::string("X7"), std::string("#pw")}) {
    EXPECT_EQ(logged.find(piece), std::string::npos) << piece << " in\n" << logged;
  }
  // The rest of the string is still shown.
  EXPECT_GT(capture.count("JSON string [{hostid:7,arrayId:abc,hostUserName:u,hostPassword****"
                          ",engineName:e}]"),
            0u);
}

TEST(ParseJSONString, FindsThePasswordWithoutLoggingIt) {
  kxtest::LogCapture capture;
  std::string value;
  ASSERT_EQ(parseJSONString("{hostid:1,hostPassword:s3cret}", "hostPassword", value), 1);
  EXPECT_EQ(value, "s3cret");
  EXPECT_EQ(capture.text().find("s3cret"), std::string::npos);
}

}  // namespace
