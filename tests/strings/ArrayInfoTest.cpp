// Reading the identity and credentials of a registered array.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "PureStorUtilsStrings.h"

namespace {

struct ArrayInfoCase {
  std::string info;
  std::string arrayId;
  std::string userName;
  std::string password;
  int hostId;  // the value before the call is kPreviousHostId
};

constexpr int kPreviousHostId = 42;

class ParseArrayInfoTest : public ::testing::TestWithParam<ArrayInfoCase> {};

TEST_P(ParseArrayInfoTest, ReadsEachItem) {
  const ArrayInfoCase& c = GetParam();
  std::string arrayId = "stale", userName = "stale", password = "stale";
  int hostId = kPreviousHostId;
  EXPECT_EQ(ParseArrayInfo(c.info, arrayId, userName, password, hostId), 1);
  EXPECT_EQ(arrayId, c.arrayId);
  EXPECT_EQ(userName, c.userName);
  EXPECT_EQ(password, c.password);
  EXPECT_EQ(hostId, c.hostId);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseArrayInfoTest,
    ::testing::Values(
        ArrayInfoCase{"{hostid:7,arrayId:abc,hostUserName:u,hostPassword:p,w,engineName:e}",
                      "abc", "u", "p,w", 7},
        // Escapes in the password, including an escaped "," and "}".
        ArrayInfoCase{"{hostid:7,arrayId:abc,hostUserName:u,hostPassword:a\\,b\\}c\\\\d\\n,"
                      "engineName:e}",
                      "abc", "u", "a,b}c\\d\n", 7},
        // A password of commas and a "}" inside; without engineName it ends at "}".
        ArrayInfoCase{"{hostid:7,arrayId:abc,hostUserName:u,hostPassword:,,x,}", "abc", "u",
                      ",,x,", 7},
        ArrayInfoCase{"{hostid:1,arrayId:a1,hostUserName:dom\\\\user,hostPassword:p,"
                      "engineName:e}",
                      "a1", "dom\\user", "p", 1},
        // Missing host id: the previous one stays.
        ArrayInfoCase{"{arrayId:abc,hostUserName:u,hostPassword:p,engineName:e}", "", "u", "p",
                      kPreviousHostId},
        ArrayInfoCase{"{x:1,arrayId:abc,hostUserName:u,hostPassword:p,engineName:e}", "abc",
                      "u", "p", kPreviousHostId},
        // Items in another order.
        ArrayInfoCase{"{hostPassword:p,engineName:e,hostid:9,hostUserName:u,arrayId:fa1}",
                      "fa1", "u", "", 9},
        ArrayInfoCase{"{hostid:9,engineName:e,hostUserName:u,arrayId:fa1,hostPassword:p,q}",
                      "fa1", "u", "p,q", 9},
        // Host id: leading digits after white space and sign, 0 without any,
        // clamped to the int range.
        ArrayInfoCase{"{hostid: -12x,arrayId:a}", "a", "", "", -12},
        ArrayInfoCase{"{hostid:abc,arrayId:a}", "a", "", "", 0},
        ArrayInfoCase{"{hostid:99999999999999,arrayId:a}", "a", "", "", INT_MAX},
        ArrayInfoCase{"{arrayId:a,hostid:5}", "", "", "", 5},
        // Unterminated items stay empty.
        ArrayInfoCase{"{hostid:3,arrayId:abc", "", "", "", 3},
        ArrayInfoCase{"", "", "", "", kPreviousHostId}));

}  // namespace
