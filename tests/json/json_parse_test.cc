// Parsing: the permissive grammar, failures and what a failed parse leaves.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "jsonxx.h"

namespace {

using jsonxx::Array;
using jsonxx::Number;
using jsonxx::Object;
using jsonxx::String;
using jsonxx::Value;

// The compact form pins down kinds and contents in one comparison.
template <typename Document>
std::string compact(const Document& doc) {
  std::ostringstream out;
  out << doc;
  return out.str();
}

struct ParseCase {
  const char* name;
  std::string text;
  bool ok;
  const char* contents;  // compact form of what the target holds afterwards
};

template <typename Document>
void expectParse(const ParseCase& c) {
  Document doc;
  EXPECT_EQ(c.ok, doc.parse(c.text)) << c.text;
  EXPECT_EQ(c.contents, compact(doc)) << c.text;
}

class ObjectParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ObjectParse, GivesExpectedResultAndContents) { expectParse<Object>(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ObjectParse,
    ::testing::Values(
        ParseCase{"Plain", R"({"a": 1, "b": "x"})", true, R"({"a": 1, "b": "x"})"},
        ParseCase{"Empty", "{}", true, "{}"},
        ParseCase{"EmptyWithSpace", " \t\r\n{ \n}", true, "{}"},
        ParseCase{"LeadingComment", "// note\n{\"a\": 1}", true, R"({"a": 1})"},
        ParseCase{"CommentWithCarriageReturn", "// note\r{\"a\": 1}", true, R"({"a": 1})"},
        ParseCase{"CommentsBetweenTokens", "{ // one\n \"a\" // two\n : // three\n 1 // four\n}",
                  true, R"({"a": 1})"},
        ParseCase{"CommentInsideTrue", "{\"a\": tr// split\nue}", true, R"({"a": true})"},
        ParseCase{"CommentInsideNull", "{\"a\": nu//x\n  ll}", true, R"({"a": null})"},
        ParseCase{"BlockCommentFails", "/* no */ {\"a\": 1}", false, "{}"},
        ParseCase{"SingleSlashFails", "{\"a\": / 1}", false, "{}"},
        ParseCase{"SingleQuotes", "{'a': 'b'}", true, R"({"a": "b"})"},
        ParseCase{"UnquotedKeyFails", "{a: 1}", false, "{}"},
        ParseCase{"TrailingComma", R"({"a":1,})", true, R"({"a": 1})"},
        ParseCase{"EmptyValueDropsKey", R"({"a":})", true, "{}"},
        ParseCase{"EmptyValueBeforeCommaIsNull", R"({"a":,"b":2})", true,
                  R"({"a": null, "b": 2})"},
        ParseCase{"MissingCommaFails", R"({"a":1 "b":2})", false, R"({"a": 1})"},
        ParseCase{"MissingColonFails", R"({"a" 1})", false, "{}"},
        ParseCase{"LaterDuplicateWins", R"({"a": 1, "a": 2})", true, R"({"a": 2})"},
        ParseCase{"DuplicatesAmongOthers", R"({"b": 1, "a": 2, "b": 3, "a": 4, "c": 5})", true,
                  R"({"a": 4, "b": 3, "c": 5})"},
        ParseCase{"TrailingTextIgnored", R"({"a":1} xyz)", true, R"({"a": 1})"},
        ParseCase{"UnterminatedFailsKeepingEarlierMembers", R"({"b": 1, "a": [1, 2)", false,
                  R"({"b": 1})"},
        ParseCase{"UnterminatedString", R"({"a": "abc)", false, "{}"},
        ParseCase{"ArrayIsNoObject", "[1]", false, "{}"},
        ParseCase{"NestedContainers", R"({"o": {"x": [true, false, null]}, "e": []})", true,
                  R"({"e": [], "o": {"x": [true, false, null]}})"},
        ParseCase{"EmptyInput", "", false, "{}"},
        ParseCase{"OnlyComment", "// nothing", false, "{}"}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

class ArrayParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ArrayParse, GivesExpectedResultAndContents) { expectParse<Array>(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ArrayParse,
    ::testing::Values(
        ParseCase{"Plain", "[1, \"a\", true, null]", true, R"([1, "a", true, null])"},
        ParseCase{"Empty", "[]", true, "[]"},
        ParseCase{"TrailingComma", "[1, 2,]", true, "[1, 2]"},
        ParseCase{"MissingCommaFails", "[1 2]", false, "[1]"},
        ParseCase{"EmptyMiddleValueIsNull", "[1,,2]", true, "[1, null, 2]"},
        ParseCase{"LoneCommaIsOneNull", "[,]", true, "[null]"},
        ParseCase{"NumberThenComment", "[1// c\n, 2]", true, "[1, 2]"},
        ParseCase{"CommentBeforeNumber", "[// c\n 7]", true, "[7]"},
        ParseCase{"BadMemberStopsArray", "[1, x]", false, "[1]"},
        ParseCase{"FailedNestedArrayIsDropped", "[1, [2, x]]", false, "[1]"},
        ParseCase{"UnterminatedFails", "[1, 2", false, "[1, 2]"},
        ParseCase{"TrailingTextIgnored", "[1] ]]", true, "[1]"},
        ParseCase{"PartialTrueFails", "[tru]", false, "[]"},
        ParseCase{"ObjectsInArray", R"([{"b": 1, "a": 2}, {}])", true,
                  R"([{"a": 2, "b": 1}, {}])"}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

struct StringCase {
  const char* name;
  std::string text;  // one array member
  std::string expected;
};

class StringParse : public ::testing::TestWithParam<StringCase> {};

TEST_P(StringParse, DecodesEscapes) {
  const StringCase& c = GetParam();
  Array a;
  ASSERT_TRUE(a.parse("[" + c.text + "]")) << c.text;
  ASSERT_EQ(1u, a.size());
  EXPECT_EQ(c.expected, a.get<String>(0)) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StringParse,
    ::testing::Values(
        StringCase{"UnicodeLetter", R"("a\u0041")", "aA"},
        StringCase{"UnicodeLatin", R"("\u00e9")", "\xE9"},
        StringCase{"UnicodeKeepsLowByte", R"("\u20ac")", "\xAC"},
        StringCase{"UnicodeUpperHex", R"("\u004A")", "J"},
        StringCase{"UnicodeNul", R"("x\u0000y")", std::string("x\0y", 3)},
        StringCase{"ShortUnicodeConsumesQuote", "\"a\\u41\"b\"", "aA"},
        StringCase{"UnicodeNotHexAppendsNothing", R"("a\uzzzzb")", "ab"},
        StringCase{"SimpleEscapes", R"("\b\f\n\r\t")", "\b\f\n\r\t"},
        StringCase{"BackslashAndSlash", R"("\\ \/")", "\\ /"},
        StringCase{"EscapedQuote", R"("say \"hi\"")", "say \"hi\""},
        StringCase{"UnknownEscapeKept", R"("\x41")", "\\x41"},
        StringCase{"OtherQuoteEscapeKept", R"("it\'s")", "it\\'s"},
        StringCase{"SingleQuotedEscapedQuote", R"('it\'s')", "it's"},
        StringCase{"SingleQuotedDoubleQuoteEscapeKept", R"('a\"b')", "a\\\"b"},
        StringCase{"DoubleQuoteInsideSingle", R"('a"b')", "a\"b"},
        StringCase{"RawControlCharacters", "\"a\tb\nc\x01\"", "a\tb\nc\x01"},
        StringCase{"HighBytesUnchanged", "\"\xC3\xA9\x80\xFF\"", "\xC3\xA9\x80\xFF"},
        StringCase{"NoCommentInsideString", R"("a // b")", "a // b"}),
    [](const ::testing::TestParamInfo<StringCase>& info) { return std::string(info.param.name); });

TEST(NumberParse, TwoToThe53PlusOneReadsBackAsTwoToThe53) {
  Object o;
  ASSERT_TRUE(o.parse(R"({"n": 9007199254740993})"));
  EXPECT_EQ(9007199254740992.0, o.get<Number>("n"));
}

TEST(NumberParse, OutOfRangeNumberFailsTheMember) {
  Array a;
  EXPECT_FALSE(a.parse("[1, 1e400]"));
  EXPECT_EQ("[1]", compact(a));
}

TEST(ValueParse, KindIsDecidedInOrder) {
  const struct {
    const char* text;
    bool (*check)(const Value&);
  } cases[] = {
      {"\"s\"", [](const Value& v) { return v.is<String>() && v.get<String>() == "s"; }},
      {"'s'", [](const Value& v) { return v.is<String>() && v.get<String>() == "s"; }},
      {" -2.5", [](const Value& v) { return v.is<Number>() && v.get<Number>() == -2.5; }},
      {"true", [](const Value& v) { return v.is<jsonxx::Boolean>() && v.get<jsonxx::Boolean>(); }},
      {"false", [](const Value& v) { return v.is<jsonxx::Boolean>() && !v.get<jsonxx::Boolean>(); }},
      {"null", [](const Value& v) { return v.is<jsonxx::Null>(); }},
      {",", [](const Value& v) { return v.is<jsonxx::Null>(); }},
      {"[1]", [](const Value& v) { return v.is<Array>() && v.get<Array>().size() == 1; }},
      {"{}", [](const Value& v) { return v.is<Object>() && v.get<Object>().empty(); }},
      // A failed array attempt goes on as an object from where it stopped.
      {"[1 {\"a\": 1}", [](const Value& v) { return v.is<Object>() && v.get<Object>().size() == 1; }},
  };
  for (const auto& c : cases) {
    Value v;
    EXPECT_TRUE(v.parse(c.text)) << c.text;
    EXPECT_TRUE(c.check(v)) << c.text;
  }
}

TEST(ValueParse, FailureKeepsKindWithoutPayload) {
  Value s("text");
  EXPECT_FALSE(s.parse("xyz"));
  EXPECT_TRUE(s.is<String>());
  EXPECT_TRUE(s.empty());
  EXPECT_EQ("", s.get<String>());

  Value n(5);
  EXPECT_FALSE(n.parse("}"));
  EXPECT_TRUE(n.is<Number>());
  EXPECT_EQ(5, n.get<Number>());
}

std::string nested(int depth, char open, char close) {
  return std::string(static_cast<size_t>(depth), open) + std::string(static_cast<size_t>(depth), close);
}

TEST(DepthLimit, DeepestAllowedNestingParses) {
  Array a;
  EXPECT_TRUE(a.parse(nested(jsonxx::kMaxParseDepth, '[', ']')));
  Object o;
  std::string text;
  for (int i = 0; i < jsonxx::kMaxParseDepth - 1; ++i) text += "{\"k\":";
  text += "{}" + std::string(jsonxx::kMaxParseDepth - 1, '}');
  EXPECT_TRUE(o.parse(text));
}

TEST(DepthLimit, DeeperNestingFailsWithoutExhaustingTheStack) {
  for (int depth : {jsonxx::kMaxParseDepth + 1, 100000}) {
    Array a;
    EXPECT_FALSE(a.parse(nested(depth, '[', ']'))) << depth;
    Value v;
    EXPECT_FALSE(v.parse(nested(depth, '[', ']'))) << depth;
    std::string text;
    for (int i = 0; i < depth; ++i) text += "{\"k\":";
    Object o;
    EXPECT_FALSE(o.parse(text + "1" + std::string(static_cast<size_t>(depth), '}'))) << depth;
  }
}

TEST(Truncation, NoPrefixOfAValidDocumentReadsPastItsEnd) {
  // Each prefix is copied to its own buffer so that a read past the end
  // shows up under the address sanitizer.
  const std::string full =
      "// c\n{'a': [1, -2.5e3, \"x\\u0041\\n\", true, false, null,, {\"b\": {}}], \"c\": 'd'}";
  for (size_t n = 0; n <= full.size(); ++n) {
    const std::string prefix = full.substr(0, n);
    Object o;
    Array a;
    Value v;
    const bool ok = o.parse(prefix);
    a.parse(prefix);
    v.parse(prefix);
    EXPECT_EQ(n == full.size(), ok) << prefix;
  }
}

TEST(StreamParse, SeekableStreamStopsAfterTheDocument) {
  std::istringstream in("{\"a\": 1} [2]");
  Object o;
  ASSERT_TRUE(o.parse(in));
  EXPECT_EQ(1, o.get<Number>("a"));
  Array a;
  ASSERT_TRUE(a.parse(in));
  EXPECT_EQ(2, a.get<Number>(0));
}

TEST(Validate, NeedsAnObjectOrArrayAfterLowBytes) {
  const struct {
    std::string text;
    bool ok;
  } cases[] = {
      {"{}", true},           {" \t\n[1]", true},     {std::string("\0\x01{}", 4), true},
      {"// c\n{}", false},    {"1", false},           {"\"a\"", false},
      {"{\"a\":", false},     {"", false},            {"[1,2,] trailing", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.ok, jsonxx::validate(c.text)) << c.text;
    std::istringstream in(c.text);
    EXPECT_EQ(c.ok, jsonxx::validate(in)) << c.text;
  }
}

TEST(Reformat, GivesJsonFormOrEmptyText) {
  EXPECT_EQ("{\n\t\"a\": 1 \n} \n", jsonxx::reformat("{'a':1}"));
  EXPECT_EQ("[\n\t1 \n] \n", jsonxx::reformat("[1,]"));
  EXPECT_EQ("", jsonxx::reformat("{'a'"));
  std::istringstream in("[true]");
  EXPECT_EQ("[\n\ttrue \n] \n", jsonxx::reformat(in));
}

}  // namespace
