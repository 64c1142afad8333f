// The json() written form and the compact stream form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>

#include "jsonxx.h"

namespace {

using jsonxx::Array;
using jsonxx::Null;
using jsonxx::Number;
using jsonxx::Object;
using jsonxx::String;
using jsonxx::Value;

TEST(JsonForm, ExampleDocumentByteForByte) {
  Array list;
  list << Value(1) << Value("a");
  Object o;
  o.import("sub", Object());
  o.import("name", "x");
  o.import("list", list);
  EXPECT_EQ(
      "{\n"
      "\t\"list\": [\n"
      "\t\t1,\n"
      "\t\t\"a\" \n"
      "\t],\n"
      "\t\"name\": \"x\",\n"
      "\t\"sub\": {\n"
      "\t} \n"
      "} \n",
      o.json());
}

TEST(JsonForm, EmptyContainers) {
  EXPECT_EQ("{\n} \n", Object().json());
  EXPECT_EQ("[\n] \n", Array().json());
}

TEST(JsonForm, NestedLastMembersAndScalars) {
  Object o;
  ASSERT_TRUE(o.parse("{'z': [[], [true, null]], 'b': false, 'o': {'k': -1.5}}"));
  EXPECT_EQ(
      "{\n"
      "\t\"b\": false,\n"
      "\t\"o\": {\n"
      "\t\t\"k\": -1.5 \n"
      "\t},\n"
      "\t\"z\": [\n"
      "\t\t[\n"
      "\t\t],\n"
      "\t\t[\n"
      "\t\t\ttrue,\n"
      "\t\t\tnull \n"
      "\t\t] \n"
      "\t] \n"
      "} \n",
      o.json());
}

TEST(JsonForm, KeysInByteOrderWhateverTheInsertionOrder) {
  Object o;
  o.import("b", 1);
  o.import("a", 2);
  o.import("B", 3);
  o.import("\xC3\xA9", 4);
  o.import("_", 5);
  EXPECT_EQ("{\n\t\"B\": 3,\n\t\"_\": 5,\n\t\"a\": 2,\n\t\"b\": 1,\n\t\"\xC3\xA9\": 4 \n} \n",
            o.json());
}

TEST(JsonForm, InvalidMemberIsWrittenAsNull) {
  Array a;
  a << Value() << Value(Null());
  EXPECT_EQ("[\n\tnull,\n\tnull \n] \n", a.json());
}

struct EscapeCase {
  std::string raw;
  std::string written;
};

TEST(JsonForm, EscapesKeysAndStrings) {
  const EscapeCase cases[] = {
      {"a/b", "a\\/b"},
      {"tab\there", "tab\\there"},
      {"\"q\" \\", "\\\"q\\\" \\\\"},
      {"\b\f\n\r", "\\b\\f\\n\\r"},
      {std::string("\0", 1), "\\u0000"},
      {"\x01", "\\u0001"},
      {"\x1f", "\\u001f"},
      {"\x7f", "\x7f"},
      {"\x80\xff\xC3\xA9", "\x80\xff\xC3\xA9"},
      {"'", "'"},
  };
  for (const EscapeCase& c : cases) {
    Object o;
    o.import(c.raw, c.raw);
    EXPECT_EQ("{\n\t\"" + c.written + "\": \"" + c.written + "\" \n} \n", o.json()) << c.raw;
    // The escaped text parses back to the raw bytes.
    Object back;
    ASSERT_TRUE(back.parse(o.json())) << c.raw;
    EXPECT_TRUE(back.has<String>(c.raw)) << c.raw;
    EXPECT_EQ(c.raw, back.get<String>(c.raw));
  }
}

std::string printfForm(double d) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.16g", d);
  return buf;
}

std::string writtenNumber(double d) {
  Array a;
  a << Value(d);
  const std::string text = a.json();  // "[\n\t<number> \n] \n"
  return text.substr(3, text.size() - 3 - 5);
}

TEST(JsonForm, NumbersLikePrintfWith16Digits) {
  const double cases[] = {1,       0.1,     1.0 / 3,  1e21,     -0.0,    0,
                          100,     1e15,    1e16,     1e17,     123456789012345678.0,
                          1e-5,    1e-4,    2.5e-300, 4.9e-324, 1099511627776.0,
                          -7.25,   3.14159265358979, 9007199254740993.0,
                          std::numeric_limits<double>::min(), 1.7976931348623e308};
  for (double d : cases) EXPECT_EQ(printfForm(d), writtenNumber(d)) << d;
  EXPECT_EQ("1e+21", writtenNumber(1e21));
  EXPECT_EQ("0.3333333333333333", writtenNumber(1.0 / 3));
}

TEST(JsonForm, LargestDoublesStayReadable) {
  // "%.16g" would round these past the largest double; they get one digit
  // more so that the text reads back.
  const double max = std::numeric_limits<double>::max();
  for (double d : {max, -max, std::nextafter(max, 0.0)}) {
    const std::string text = writtenNumber(d);
    Array back;
    ASSERT_TRUE(back.parse("[" + text + "]")) << text;
    EXPECT_EQ(d, back.get<Number>(0)) << text;
  }
}

TEST(JsonForm, WrittenFormParsesBackToTheSameText) {
  const char* docs[] = {
      R"({"vol": [{"name": "v1", "size": 1073741824, "source": null}], "n": 0.1, "t": true})",
      "{'k\\u0001': 'a\\/b', \"\": [[[]], {}, ,], 'x': {'y': {'z': -0}}}",
  };
  for (const char* doc : docs) {
    Object o;
    ASSERT_TRUE(o.parse(doc)) << doc;
    Object again;
    ASSERT_TRUE(again.parse(o.json())) << o.json();
    EXPECT_EQ(o.json(), again.json());
  }
}

TEST(CompactForm, WritesMembersJoinedWithCommaSpace) {
  Object o;
  ASSERT_TRUE(o.parse("{'b': [1, 'x/y', true, null], 'a': {}, 'c': 0.1234567891}"));
  std::ostringstream out;
  out << o;
  EXPECT_EQ(R"({"a": {}, "b": [1, "x\/y", true, null], "c": 0.123457})", out.str());

  std::ostringstream precise;
  precise.precision(12);
  precise << o.get<Number>("c") << ' ' << Value() << '|' << Value(false);
  EXPECT_EQ("0.1234567891 |false", precise.str());
}

TEST(Write, FormatZeroIsTheJsonForm) {
  Object o;
  o.import("a", 1);
  EXPECT_EQ(o.json(), o.write(0));
  EXPECT_THROW(o.write(1), jsonxx::PreconditionError);
}

}  // namespace
