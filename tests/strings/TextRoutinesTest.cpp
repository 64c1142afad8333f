// The text routines without a record: source-device attributes, escapes,
// splitting, snapshot metadata fields, upper case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PureStorUtilsStrings.h"

namespace {

struct AttribsCase {
  const char* source;
  const char* type;
  const char* vendor;
  const char* lunuuid;
  const char* targethostname;
  const char* agentType;
  bool isNFS;
};

class SourceDeviceAttribsTest : public ::testing::TestWithParam<AttribsCase> {};

TEST_P(SourceDeviceAttribsTest, FillsFieldsFromItems) {
  const AttribsCase& c = GetParam();
  SourceDeviceAttribs attribs(c.source);
  EXPECT_EQ(attribs.source, c.source);
  EXPECT_EQ(attribs.type, c.type);
  EXPECT_EQ(attribs.vendor, c.vendor);
  EXPECT_EQ(attribs.lunuuid, c.lunuuid);
  EXPECT_EQ(attribs.targethostname, c.targethostname);
  EXPECT_EQ(attribs.agentType, c.agentType);
  EXPECT_EQ(attribs.isSrcNFSDevice(), c.isNFS);
  EXPECT_EQ(attribs.GetShareName(), c.lunuuid);
  EXPECT_EQ(attribs.GetTargetHostName(), c.targethostname);
}

INSTANTIATE_TEST_SUITE_P(
    Items, SourceDeviceAttribsTest,
    ::testing::Values(
        AttribsCase{"{frwtype:vmware,lunuuid:naa.624a9370abcdef,targetidentifier:fc.5001}", "",
                    "", "naa.624a9370abcdef", "", "vmware", false},
        AttribsCase{"{type:nfs,vendor:PURE,lunuuid:/exp1,targethostname:10.0.0.5}", "nfs",
                    "PURE", "/exp1", "10.0.0.5", "", true},
        AttribsCase{"{type:NFS,lunuuid:/exp1}", "NFS", "", "/exp1", "", "", false},
        AttribsCase{"/dev/sdb", "", "", "", "", "", false},
        AttribsCase{"", "", "", "", "", "", false},
        // An item without ":" is its own key and value.
        AttribsCase{"type", "type", "", "", "", "", false},
        AttribsCase{"{vendor}", "", "vendor", "", "", "", false},
        // The value is everything after the first ":".
        AttribsCase{"{lunuuid:a:b:c}", "", "", "a:b:c", "", "", false},
        // A later item wins; empty items change nothing.
        AttribsCase{"{type:nfs,,type:block}", "block", "", "", "", "", false},
        AttribsCase{"{type:block,,type:nfs}", "nfs", "", "", "", "", true},
        // Only the item's own braces are removed, and only one of each.
        AttribsCase{"{{type:nfs}}", "", "", "", "", "", false},
        AttribsCase{"type:nfs}", "nfs", "", "", "", "", true},
        // Keys match exactly.
        AttribsCase{"{Type:nfs,frwtypex:vmware, type:nfs}", "", "", "", "", "", false}));

TEST(SourceDeviceAttribs, ParseStartsAfreshFromTheStoredString) {
  SourceDeviceAttribs attribs("{type:nfs,lunuuid:/exp1,targethostname:fb1}");
  ASSERT_TRUE(attribs.isSrcNFSDevice());
  attribs.source = "/dev/sdc";
  attribs.Parse();
  EXPECT_FALSE(attribs.isSrcNFSDevice());
  EXPECT_EQ(attribs.type, "");
  EXPECT_EQ(attribs.GetShareName(), "");
  EXPECT_EQ(attribs.GetTargetHostName(), "");
}

struct TextCase {
  std::string in;
  std::string out;
};

TEST(DeformatString, ResolvesEscapes) {
  const std::vector<TextCase> cases = {
      {"", ""},
      {"plain", "plain"},
      {"a\\nb", "a\nb"},
      {"\\n\\b\\f\\r\\t", std::string("\n\b\f\r\t")},
      {"dom\\\\user", "dom\\user"},
      {"p\\,w\\}x", "p,w}x"},
      {"\\q\\\"", "q\""},
      {"abc\\", "abc"},
      {"\\", ""},
      {"\\\\\\", "\\"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(deformatString(c.in), c.out) << c.in;
}

struct SplitCase {
  std::string text;
  std::string delim;
  std::vector<std::string> parts;
};

TEST(SplitByDelim, KeepsEmptyPieces) {
  const std::vector<SplitCase> cases = {
      {"", "|", {""}},
      {"a", "|", {"a"}},
      {"a|", "|", {"a", ""}},
      {"|a", "|", {"", "a"}},
      {"a||b", "|", {"a", "", "b"}},
      {"|", "|", {"", ""}},
      {"a::b:c", "::", {"a", "b:c"}},
      {"a|b", "", {"a|b"}},
  };
  for (const SplitCase& c : cases) {
    std::vector<std::string> out;
    splitByDelim(c.text, c.delim, out);
    EXPECT_EQ(out, c.parts) << "[" << c.text << "] by [" << c.delim << "]";
  }
}

TEST(SplitByDelim, AppendsToTheList) {
  std::vector<std::string> out = {"kept"};
  splitByDelim("x,y", ',', out);
  EXPECT_EQ(out, (std::vector<std::string>{"kept", "x", "y"}));
}

struct MetaCase {
  std::string text;
  std::vector<std::string> fields;  // volume name, serial, snap serial, group snap
};

TEST(ParseSnapMetaData, FillsFourFieldsInOrder) {
  const std::vector<MetaCase> cases = {
      {"vol1|ABC", {"vol1", "ABC", "", ""}},
      {"", {"", "", "", ""}},
      {"share1", {"share1", "", "", ""}},
      {"v|S|N|", {"v", "S", "N", ""}},
      {"v|S|N|pg1.snap", {"v", "S", "N", "pg1.snap"}},
      {"v||N|g|extra|more", {"v", "", "N", "g"}},
  };
  for (const MetaCase& c : cases) {
    std::string vol = "old", serial = "old", snap = "old", group = "old";
    EXPECT_EQ(ParseSnapMetaData(c.text, vol, serial, snap, group), 1);
    EXPECT_EQ((std::vector<std::string>{vol, serial, snap, group}), c.fields) << c.text;
  }
}

TEST(StrToUpper, MapsOnlyAsciiLetters) {
  const std::string in = std::string("naa.624a9370Zz_-") + "\xe9\x7f";
  EXPECT_EQ(strToUpper(in), std::string("NAA.624A9370ZZ_-") + "\xe9\x7f");
  EXPECT_EQ(strToUpper(""), "");
}

}  // namespace
