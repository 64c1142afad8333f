#include "RestText.h"

#include <gtest/gtest.h>

namespace {

TEST(UrlEncodeName, KeepsArrayNameCharactersAndEncodesEverythingElse) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"vol-01_a.SP-2-7-1700000000", "vol-01_a.SP-2-7-1700000000"},
      {"pod1::vol", "pod1::vol"},
      {"a b", "a%20b"},
      {"a&names=b", "a%26names%3Db"},
      {"x#y?z", "x%23y%3Fz"},
      {"100%", "100%25"},
      {"q\"'", "q%22%27"},
      {std::string("c\x01\x7f", 3), "c%01%7F"},
      {"\xc3\xa9", "%C3%A9"},
      {"a/b", "a%2Fb"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(urlEncodeName(c.in), c.out) << c.in;
}

TEST(JsonEscape, EscapesQuotesBackslashesAndControlBytes) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"plain-name", "plain-name"},
      {"a\"b", "a\\\"b"},
      {"a\\b", "a\\\\b"},
      {"t\tn\nr\r", "t\\tn\\nr\\r"},
      {std::string("\x01\x1f", 2), "\\u0001\\u001f"},
      {"\xc3\xa9/", "\xc3\xa9/"},
      {"\", \"evil", "\\\", \\\"evil"},
  };
  for (const Case& c : cases) EXPECT_EQ(jsonEscape(c.in), c.out) << c.in;
}

TEST(MaskSecrets, ReplacesEveryOccurrenceOfEachSecret) {
  std::string token = "T0K3N", password = "pw", none;
  EXPECT_EQ(maskSecrets("a T0K3N b T0K3NT0K3N pw", {&token, &password, &none}),
            "a **** b ******** ****");
  EXPECT_EQ(maskSecrets("nothing here", {&none}), "nothing here");
}

}  // namespace
