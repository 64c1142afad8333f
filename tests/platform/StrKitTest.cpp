// Substring search: 1-based positions, 0 for none.
#include <gtest/gtest.h>

#include <ostream>

#include "StrKit.h"

namespace {

struct FindCase {
  const char* text;
  const char* needle;
  bool ignoreCase;
  size_t expected;
};

void PrintTo(const FindCase& c, std::ostream* os) {
  *os << "[" << (c.text ? c.text : "null") << "] [" << (c.needle ? c.needle : "null") << "] "
      << c.ignoreCase;
}

const FindCase kCases[] = {
    {"abc", "a", false, 1},
    {"abc", "c", false, 3},
    {"abcabc", "ca", false, 3},
    {"abc", "d", false, 0},
    {"abc", "abcd", false, 0},
    {"abc", "", false, 1},
    {"", "", true, 1},
    {"", "a", true, 0},
    {nullptr, "a", false, 0},
    {"abc", nullptr, true, 0},
    {"Volume Does Not Exist.", "does not exist", true, 8},
    {"Volume Does Not Exist.", "does not exist", false, 0},
    {"ERADICATION IS DISABLED", "Eradication is disabled", true, 1},
    {"xxAB", "ab", true, 3},
    {"xxA", "ab", true, 0},
    {"a-\xC3\xA9", "\xC3\xA9", true, 3},
};

class FindStringTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindStringTest, Position) {
  const FindCase& c = GetParam();
  EXPECT_EQ(StrKit::FindString(c.text, c.needle, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindStringTest, ::testing::ValuesIn(kCases));

}  // namespace
