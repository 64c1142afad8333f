// The model: kinds, copies, imports, streaming insert and precondition
// violations.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "jsonxx.h"

namespace {

using jsonxx::Array;
using jsonxx::Boolean;
using jsonxx::Null;
using jsonxx::Number;
using jsonxx::Object;
using jsonxx::PreconditionError;
using jsonxx::String;
using jsonxx::Value;

std::string compact(const Object& o) {
  std::ostringstream out;
  out << o;
  return out.str();
}

TEST(ValueModel, KindsOfConstructedValues) {
  EXPECT_TRUE(Value().empty());
  EXPECT_FALSE(Value().is<Null>());
  EXPECT_TRUE(Value(1.5).is<Number>());
  EXPECT_TRUE(Value(7).is<Number>());
  EXPECT_EQ(7, Value(7u).get<Number>());
  EXPECT_TRUE(Value(true).is<Boolean>());
  EXPECT_TRUE(Value("s").is<String>());
  EXPECT_TRUE(Value(String("s")).is<String>());
  EXPECT_TRUE(Value(Null()).is<Null>());
  EXPECT_TRUE(Value(Array()).is<Array>());
  EXPECT_TRUE(Value(Object()).is<Object>());
  EXPECT_FALSE(Value(Array()).empty());
}

TEST(ValueModel, CopiesAreDeep) {
  Object inner;
  inner.import("k", "v");
  Array list;
  list << Value(inner);
  Value original(list);
  Value copy(original);
  copy.get<Array>().get<Object>(0).import("k", "changed");
  EXPECT_EQ("v", original.get<Array>().get<Object>(0).get<String>("k"));
  EXPECT_EQ("changed", copy.get<Array>().get<Object>(0).get<String>("k"));
}

TEST(ValueModel, ImportReplacesContent) {
  Value v("text");
  v.import(Number(3));
  EXPECT_EQ(3, v.get<Number>());
  v.import(v);  // into itself: nothing happens
  EXPECT_EQ(3, v.get<Number>());
  v.import(Value());
  EXPECT_TRUE(v.empty());
  EXPECT_FALSE(v.is<Number>());

  // Importing a part of the value itself copies before releasing.
  Array a;
  a << Value("inner");
  Value holder(a);
  holder.import(holder.get<Array>());
  ASSERT_TRUE(holder.is<Array>());
  EXPECT_EQ("inner", holder.get<Array>().get<String>(0));
  Value nested(Array{});
  nested.get<Array>() << Value(Object());
  nested.import(nested.get<Array>().get<Object>(0));
  EXPECT_TRUE(nested.is<Object>());
}

TEST(ValueModel, ResetReleasesPayloadButKeepsKind) {
  Value s("text");
  s.reset();
  EXPECT_TRUE(s.is<String>());
  EXPECT_TRUE(s.empty());
  EXPECT_EQ("", static_cast<const Value&>(s).get<String>());
  s.get<String>() = "again";
  EXPECT_EQ("again", s.get<String>());
  Value copy(s);
  s.reset();
  Value released(s);
  EXPECT_TRUE(released.is<String>());
  EXPECT_TRUE(released.empty());
  EXPECT_EQ("again", copy.get<String>());
}

TEST(ArrayModel, AppendAssignAndSelfImport) {
  Array a;
  a << Value(1) << Value("two");
  Array b;
  b << a;
  b.import(b);  // doubles
  ASSERT_EQ(4u, b.size());
  EXPECT_EQ("two", b.get<String>(3));
  b = b;
  EXPECT_EQ(4u, b.size());
  b = a;
  EXPECT_EQ(2u, b.size());
  b = Value(true);
  ASSERT_EQ(1u, b.size());
  EXPECT_TRUE(b.get<Boolean>(0));
  b = b.values()[0];  // a value from the array itself
  EXPECT_TRUE(b.get<Boolean>(0));
  b.reset();
  EXPECT_TRUE(b.empty());
}

TEST(ObjectModel, ImportAndMerge) {
  Object o;
  o.import("b", 1);
  o.import("a", 2);
  o.import("b", 3);
  EXPECT_EQ(R"({"a": 2, "b": 3})", compact(o));

  Object other;
  other.import("b", "new");
  other.import("c", true);
  o.import(other);
  EXPECT_EQ(R"({"a": 2, "b": "new", "c": true})", compact(o));
  o.import(o);
  EXPECT_EQ(R"({"a": 2, "b": "new", "c": true})", compact(o));

  Object assigned;
  assigned.import("z", 0);
  assigned = other;
  EXPECT_EQ(R"({"b": "new", "c": true})", compact(assigned));
}

TEST(ObjectModel, HasNeedsTheKind) {
  Object o;
  ASSERT_TRUE(o.parse(R"({"s": "x", "n": 1, "b": false, "a": [], "o": {}, "z": null})"));
  EXPECT_TRUE(o.has<String>("s"));
  EXPECT_FALSE(o.has<Number>("s"));
  EXPECT_TRUE(o.has<Number>("n"));
  EXPECT_TRUE(o.has<Boolean>("b"));
  EXPECT_TRUE(o.has<Array>("a"));
  EXPECT_TRUE(o.has<Object>("o"));
  EXPECT_TRUE(o.has<Null>("z"));
  EXPECT_FALSE(o.has<String>("missing"));
  EXPECT_EQ(6u, o.kv_map().size());
}

TEST(ObjectModel, StreamingInsertUsesPendingKey) {
  Object o;
  o << Value("k") << Value(1);
  o << Value("k2");
  Object sub;
  sub.import("x", 1);
  o << sub;
  o << sub;  // no pending key: the empty key
  EXPECT_EQ(R"({"": {"x": 1}, "k": 1, "k2": {"x": 1}})", compact(o));
  EXPECT_THROW(o << Value(5), PreconditionError);  // a key must be a String
  o << Value("p");
  o.import("q", 2);  // clears the pending key
  o << Value("r") << Value(3);
  EXPECT_TRUE(o.has<Number>("r"));
  EXPECT_FALSE(o.has<Number>("p"));
}

struct Violation {
  const char* name;
  void (*call)();
  const char* expression;
};

TEST(Preconditions, ViolationsWriteDiagnosticAndThrow) {
  static const Violation cases[] = {
      {"absent key", [] { Object().get<String>("name"); }, "has<T>(key)"},
      {"wrong kind in object",
       [] {
         Object o;
         o.import("name", 5);
         o.get<String>("name");
       },
       "has<T>(key)"},
      {"index past end",
       [] {
         Array a;
         a << Value(1);
         a.get<Number>(1);
       },
       "i < size()"},
      {"wrong kind in array",
       [] {
         Array a;
         a << Value(1);
         a.get<Object>(0);
       },
       "is<Object>()"},
      {"number", [] { Value("x").get<Number>(); }, "is<Number>()"},
      {"string", [] { Value(1).get<String>(); }, "is<String>()"},
      {"boolean", [] { Value(1).get<Boolean>(); }, "is<Boolean>()"},
      {"array", [] { Value(1).get<Array>(); }, "is<Array>()"},
      {"object", [] { Value().get<Object>(); }, "is<Object>()"},
  };
  for (const Violation& v : cases) {
    ::testing::internal::CaptureStderr();
    bool thrown = false;
    try {
      v.call();
    } catch (const PreconditionError& e) {
      thrown = true;
      EXPECT_NE(std::string::npos, std::string(e.what()).find(v.expression)) << v.name;
    }
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(thrown) << v.name;
    const std::string prefix = std::string("[JSONXX] expression '") + v.expression + "' failed at jsonxx:";
    EXPECT_EQ(0u, err.find(prefix)) << v.name << ": " << err;
    EXPECT_NE(std::string::npos, err.find(" -> \n")) << v.name << ": " << err;
  }
}

TEST(Preconditions, ErrorIsAStdException) {
  try {
    ::testing::internal::CaptureStderr();
    Object().get<Number>("size");
  } catch (const std::exception& e) {
    ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, std::string(e.what()).find("size"));
    return;
  }
  ::testing::internal::GetCapturedStderr();
  FAIL() << "no exception";
}

TEST(Concurrency, FirstWritesFromManyThreadsAgree) {
  // The escape table is built on first use; concurrent first users must
  // all see it complete.
  Object o;
  o.import("k/\t", "v\x01\"");
  const std::string expected = "{\n\t\"k\\/\\t\": \"v\\u0001\\\"\" \n} \n";
  std::vector<std::string> results(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < results.size(); ++i)
    threads.emplace_back([&o, &results, i] { results[i] = o.json(); });
  for (std::thread& t : threads) t.join();
  for (const std::string& r : results) EXPECT_EQ(expected, r);
}

}  // namespace
