// Request parameter handling and the text helpers behind it.
#include <gtest/gtest.h>

#include "params.h"
#include "scenario.h"
#include "sim_array.h"

namespace arraysim {
namespace {

TEST(ParamsTest, QueryAndBodyMerge) {
  Params p = Params::parse("snap=true&names=a,b&x=1&x=2", R"({"suffix":"S","snap":false})");
  EXPECT_FALSE(p.flag("snap"));  // the body wins
  EXPECT_EQ(p.list("names"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(p.all("x"), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(p.str("suffix"), "S");
  Params q = Params::parse("filter=serial%3D'AB'&pending_only=TRUE", "null");
  EXPECT_EQ(q.str("filter"), "serial='AB'");
  EXPECT_TRUE(q.flag("pending_only"));
  Params form = Params::parse("", "api_token=abc%2B1");
  EXPECT_EQ(form.str("api_token"), "abc+1");
  EXPECT_EQ(Params::parse("", R"({"source":["v1","v2"]})").list("source").size(), 2u);
  EXPECT_EQ(Params::parse("lun=7", "").integer("lun"), 7);
  EXPECT_FALSE(Params::parse("lun=7x", "").integer("lun").has_value());
}

TEST(ParamsTest, PercentDecoding) {
  EXPECT_EQ(percentDecode("pod1%3A%3Av", false), "pod1::v");
  EXPECT_EQ(percentDecode("a+b%20c", true), "a b c");
  EXPECT_EQ(percentDecode("a+b", false), "a+b");
  EXPECT_EQ(percentDecode("bad%zz%4", false), "bad%zz%4");
  std::string path, query;
  splitTarget("/api/1.4/volume/a%2Eb?snap=true", &path, &query);
  EXPECT_EQ(path, "/api/1.4/volume/a.b");
  EXPECT_EQ(query, "snap=true");
}

TEST(ParamsTest, GlobAndFilters) {
  struct Case {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {{"KX_1*", "KX_1_Clone", true}, {"KX_1*", "KX_2", false}, {"*", "", true},
               {"a*c", "abbbc", true},       {"a*c", "abcd", false},    {"ABC", "ABC", true},
               {"*b*", "abc", true},         {"a**", "a", true}};
  for (const auto& k : cases) EXPECT_EQ(globMatch(k.pattern, k.text), k.match) << k.pattern;
  auto f = parseFilter("source='fs1' and nfs.enabled");
  ASSERT_TRUE(f.has_value());
  ASSERT_EQ(f->size(), 2u);
  EXPECT_TRUE(matchesFilter({{"source", "fs1"}, {"nfs", {{"enabled", true}}}}, *f));
  EXPECT_FALSE(matchesFilter({{"source", "fs1"}, {"nfs", {{"enabled", false}}}}, *f));
  EXPECT_FALSE(parseFilter("name=").has_value());
  EXPECT_FALSE(parseFilter("").has_value());
  EXPECT_EQ((*parseFilter("name=\"KX*\""))[0].pattern, "KX*");
}

TEST(ParamsTest, TokensAreRedacted) {
  EXPECT_EQ(redactBody(R"({ "api_token" : "secret" })"), R"({ "api_token" : "***" })");
  EXPECT_EQ(redactBody("api_token=secret&x=1"), "api_token=***&x=1");
  EXPECT_EQ(redactBody(R"({"name":"v"})"), R"({"name":"v"})");
}

TEST(ScenarioTest, DefaultSharesPodsAndMirrorsGroups) {
  auto arrays = loadScenario(defaultScenario());
  ASSERT_EQ(arrays.size(), 3u);
  const auto& east = arrays[0];
  const auto& west = arrays[1];
  ASSERT_TRUE(west.volumes.count("pod1::app01"));
  EXPECT_EQ(west.volumes.at("pod1::app01").serial, east.volumes.at("pod1::app01").serial);
  EXPECT_TRUE(west.pgroups.count("fa-east:pg-db"));
  EXPECT_EQ(arrays[2].cfg.kind, Kind::kFlashBlade);
}

TEST(ScenarioTest, MalformedScenariosAreRefused) {
  const char* bad[] = {
      R"({})",
      R"({"arrays": [{"name": "a", "kind": "tape", "id": "1", "users": [{"name":"u","api_token":"t"}]}]})",
      R"({"arrays": [{"name": "a", "kind": "flasharray", "id": "1", "users": []}]})",
      R"({"arrays": [{"name": "a", "kind": "flasharray", "id": "1", "users": [{"name":"u","api_token":"t"}],
          "volumes": [{"name":"v","serial":"12"}]}]})",
      R"({"arrays": [{"name": "a", "kind": "flasharray", "id": "1", "users": [{"name":"u","api_token":"t"}],
          "replication_targets": ["b"]}]})",
  };
  for (const char* text : bad) {
    EXPECT_THROW(loadScenario(nlohmann::json::parse(text)), std::invalid_argument) << text;
  }
}

}  // namespace
}  // namespace arraysim
