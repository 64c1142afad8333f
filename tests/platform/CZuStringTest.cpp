// Placeholder formatting: arguments inserted as they stand, once.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "CZuString.h"

namespace {

struct FormatCase {
  const char* name;
  std::string tmpl;
  std::vector<std::string> args;
  std::string expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

const FormatCase kCases[] = {
    {"InOrder", "{1}/{2}", {"a", "b"}, "a/b"},
    {"OutOfOrder", "{2}-{1}", {"a", "b"}, "b-a"},
    {"Repeated", "{1}{1} {2}{1}", {"x", "y"}, "xx yx"},
    {"MissingArgumentStays", "{1} {3}", {"a", "b"}, "a {3}"},
    {"NoArguments", "path/{1}", {}, "path/{1}"},
    {"InsertedPlaceholderNotExpanded", "{1}-{2}", {"{2}", "x"}, "{2}-x"},
    {"InsertedBraceNotJoined", "{1}2}", {"{"}, "{2}"},
    {"NoEscaping", R"({ "api_token" : "{1}" })", {"a\"b\\c"}, R"({ "api_token" : "a"b\c" })"},
    {"ZeroAndEmptyStay", "{0}{}{", {"a"}, "{0}{}{"},
    {"Unterminated", "{1", {"a"}, "{1"},
    {"TwoDigits", "{10}|{1}", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "ten"}, "ten|1"},
    {"TwoDigitsMissingStaysWhole", "{12}", {"a"}, "{12}"},
    {"EmptyArgument", "a{1}b", {""}, "ab"},
};

class FormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, FormatList) {
  EXPECT_EQ(CZuString::FormatList(GetParam().tmpl, GetParam().args), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CZuStringTest, VariadicFormTakesTextNumbersAndNull) {
  const char* none = nullptr;
  EXPECT_EQ(CZuString::Format("volume/{1}?size={2}&n={3}{4}", std::string("v1"), 1024, -3, none),
            "volume/v1?size=1024&n=-3");
  EXPECT_EQ(CZuString::Format("{1}", std::string_view("sv")), "sv");
}

}  // namespace
