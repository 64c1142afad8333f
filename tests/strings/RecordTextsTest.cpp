// The readers and the writer of texts held on a record: array info and
// snapshot metadata read through growing buffers, and the rewrite of the
// metadata and snapshot UUID after a volume changed its name.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>

#include "FakeHost.h"
#include "PureStorUtilsStrings.h"

namespace {

const std::string kSecret = "Pw,9#secret";
const std::string kInfo =
    "{hostid:7,arrayId:fa1.example,hostUserName:svc,hostPassword:" + kSecret +
    ",engineName:fa1}";

// A record whose getArrayInfo and getMetadata answers a test may script;
// counts the calls either way.
class ScriptedRecord : public kxtest::FakeSnapInfo {
 public:
  using Script = std::function<int(int call, char* buf, short* len)>;

  int getArrayInfo(char* buf, short* len) override {
    ++arrayInfoCalls;
    if (arrayInfoScript) return arrayInfoScript(arrayInfoCalls, buf, len);
    return FakeSnapInfo::getArrayInfo(buf, len);
  }
  int getMetadata(short type, char* buf, short* len) override {
    ++metadataCalls;
    lastMetadataType = type;
    if (metadataScript) return metadataScript(metadataCalls, buf, len);
    return FakeSnapInfo::getMetadata(type, buf, len);
  }

  // A line logged with the context, at the level, with exactly this text.
  bool logged(int level, const std::string& context, const std::string& text) const {
    for (const kxhost::LogLine& line : logLines()) {
      if (line.withContext && line.level == level && line.context == context &&
          line.text == text) {
        return true;
      }
    }
    return false;
  }

  Script arrayInfoScript;
  Script metadataScript;
  int arrayInfoCalls = 0;
  int metadataCalls = 0;
  short lastMetadataType = -1;
};

// Fills exactly *len bytes, no terminating NUL, starting with text.
int fillWithoutNul(const std::string& text, char* buf, short* len) {
  std::memset(buf, 'x', static_cast<size_t>(*len));
  std::memcpy(buf, text.data(), std::min(text.size(), static_cast<size_t>(*len)));
  return 0;
}

class GetAndParseArrayInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { record.state().arrayInfo = kInfo; }

  void TearDown() override {
    EXPECT_EQ(record.logText().find("secret"), std::string::npos) << record.logText();
    EXPECT_EQ(capture.text().find("secret"), std::string::npos) << capture.text();
  }

  int read() { return GetAndParseArrayInfo(&record, arrayId, userName, password, hostId); }

  bool loggedFailure() const {
    return record.logged(2, "PureStorUtils::GetAndParseArrayInfo",
                         "Error:Unable to get the array information.");
  }

  kxtest::LogCapture capture;
  ScriptedRecord record;
  std::string arrayId = "stale", userName = "stale", password = "stale";
  int hostId = -3;
};

TEST_F(GetAndParseArrayInfoTest, ParsesTheRecordsString) {
  ASSERT_EQ(read(), 1);
  EXPECT_EQ(arrayId, "fa1.example");
  EXPECT_EQ(userName, "svc");
  EXPECT_EQ(password, kSecret);
  EXPECT_EQ(hostId, 7);
  EXPECT_EQ(record.arrayInfoCalls, 1);
}

TEST_F(GetAndParseArrayInfoTest, RetriesTooSmallAnswersAtMostThreeCalls) {
  struct Case {
    int tooSmall;
    int result;
    int calls;
  };
  for (const Case& c : {Case{1, 1, 2}, Case{2, 1, 3}, Case{3, 0, 3}, Case{10, 0, 3}}) {
    ScriptedRecord fresh;
    fresh.state().arrayInfo = kInfo;
    fresh.state().tooSmall["getArrayInfo"] = c.tooSmall;
    std::string id, user, pass;
    int host = 0;
    EXPECT_EQ(GetAndParseArrayInfo(&fresh, id, user, pass, host), c.result) << c.tooSmall;
    EXPECT_EQ(fresh.arrayInfoCalls, c.calls) << c.tooSmall;
    EXPECT_EQ(id, c.result == 1 ? "fa1.example" : "") << c.tooSmall;
    EXPECT_EQ(fresh.logged(2, "PureStorUtils::GetAndParseArrayInfo",
                           "Error:Unable to get the array information."),
              c.result == 0);
  }
}

TEST_F(GetAndParseArrayInfoTest, AsksWithTheLengthTheHostNeeds) {
  std::vector<short> lengths;
  record.arrayInfoScript = [&](int call, char* buf, short* len) {
    lengths.push_back(*len);
    if (call == 1) {
      *len = 9000;
      return 2;
    }
    std::snprintf(buf, static_cast<size_t>(*len), "%s", kInfo.c_str());
    return 0;
  };
  ASSERT_EQ(read(), 1);
  EXPECT_EQ(lengths, (std::vector<short>{4096, 9000}));
  EXPECT_EQ(arrayId, "fa1.example");
}

TEST_F(GetAndParseArrayInfoTest, DoesNotBelieveANeededLengthBelowOne) {
  for (short lie : {short{0}, short{-1}, short{SHRT_MIN}}) {
    record.arrayInfoCalls = 0;
    record.arrayInfoScript = [lie](int, char*, short* len) {
      *len = lie;
      return 2;
    };
    EXPECT_EQ(read(), 0) << lie;
    EXPECT_EQ(record.arrayInfoCalls, 1) << lie;
  }
  EXPECT_EQ(arrayId, "stale");
  EXPECT_TRUE(loggedFailure());
}

// Under the sanitizers these would catch a read past the buffer.
TEST_F(GetAndParseArrayInfoTest, ReadsNoFurtherThanTheBufferWhenTheHostLeavesNoNul) {
  record.arrayInfoScript = [](int, char* buf, short* len) { return fillWithoutNul(kInfo, buf, len); };
  ASSERT_EQ(read(), 1);
  EXPECT_EQ(arrayId, "fa1.example");
  EXPECT_EQ(hostId, 7);

  record.arrayInfoScript = [](int call, char* buf, short* len) {
    if (call == 1 || call == 3) {
      *len = SHRT_MAX;
      return 2;
    }
    return fillWithoutNul("{hostid:5,arrayId:big,", buf, len);
  };
  record.arrayInfoCalls = 0;
  ASSERT_EQ(read(), 1);
  EXPECT_EQ(record.arrayInfoCalls, 2);
  EXPECT_EQ(arrayId, "big");
  EXPECT_EQ(hostId, 5);
}

TEST_F(GetAndParseArrayInfoTest, FailsWhenTheHostCannot) {
  record.failOn("getArrayInfo");
  EXPECT_EQ(read(), 0);
  EXPECT_EQ(arrayId, "stale");
  EXPECT_EQ(hostId, -3);
  EXPECT_TRUE(loggedFailure());
  EXPECT_EQ(GetAndParseArrayInfo(nullptr, arrayId, userName, password, hostId), 0);
}

const char kVolumeContext[] = "PureStorUtils::GetVolumeInfoFromSnapMetaData";

struct VolumeInfoCase {
  bool consistencyGroup;
  bool useGroupMetadata;
  short type;
};

class GetVolumeInfoTypeTest : public ::testing::TestWithParam<VolumeInfoCase> {};

TEST_P(GetVolumeInfoTypeTest, ReadsTheGroupCopyOnlyWhenAskedForAGroupSnapshot) {
  const VolumeInfoCase& c = GetParam();
  ScriptedRecord record;
  record.setMeta(KXSO::SM_MDT_SNAP_UUID, "vol6|S6|N6|");
  record.setMeta(KXSO::SM_MDT_GROUP_SNAP_UUID, "vol82|S82|N82|pg.1");
  record.state().consistencyGroupSnap = c.consistencyGroup;
  std::string vol, serial, snap, group;
  ASSERT_EQ(GetVolumeInfoFromSnapMetaData(&record, vol, serial, snap, group, c.useGroupMetadata),
            1);
  EXPECT_EQ(record.lastMetadataType, c.type);
  const std::string n = c.type == KXSO::SM_MDT_SNAP_UUID ? "6" : "82";
  EXPECT_EQ(vol, "vol" + n);
  EXPECT_EQ(serial, "S" + n);
  EXPECT_EQ(snap, "N" + n);
  EXPECT_EQ(group, c.type == KXSO::SM_MDT_SNAP_UUID ? "" : "pg.1");
  const std::string meta = record.meta(c.type);
  EXPECT_TRUE(record.logged(0, kVolumeContext, "SM_MDT_SNAP_UUID is [" + meta + "]"));
  EXPECT_TRUE(record.logged(0, kVolumeContext,
                            "VolName[vol" + n + "], VolSerial[S" + n + "], SnapSerial[N" + n + "]"));
}

INSTANTIATE_TEST_SUITE_P(Types, GetVolumeInfoTypeTest,
                         ::testing::Values(VolumeInfoCase{false, false, KXSO::SM_MDT_SNAP_UUID},
                                           VolumeInfoCase{true, false, KXSO::SM_MDT_SNAP_UUID},
                                           VolumeInfoCase{false, true, KXSO::SM_MDT_SNAP_UUID},
                                           VolumeInfoCase{true, true,
                                                          KXSO::SM_MDT_GROUP_SNAP_UUID}));

TEST(GetVolumeInfoFromSnapMetaData, FailsOnMissingEmptyOrUnreadableMetadata) {
  struct Case {
    std::function<void(ScriptedRecord&)> setUp;
    int result;
    int calls;
    const char* log;  // level 2 line on failure
  };
  const char* unreadable = "Error:Unable to get the snapUUID";
  const std::vector<Case> cases = {
      {[](ScriptedRecord&) {}, 0, 1, unreadable},
      {[](ScriptedRecord& r) { r.setMeta(KXSO::SM_MDT_SNAP_UUID, ""); }, 0, 1,
       "Error:Metadata (snapUUID) seems to be empty, cannot proceed."},
      {[](ScriptedRecord& r) {
         r.setMeta(KXSO::SM_MDT_SNAP_UUID, "v|S");
         r.state().tooSmall["getMetadata"] = 2;
       },
       1, 3, nullptr},
      {[](ScriptedRecord& r) {
         r.setMeta(KXSO::SM_MDT_SNAP_UUID, "v|S");
         r.state().tooSmall["getMetadata"] = 3;
       },
       0, 3, unreadable},
      {[](ScriptedRecord& r) {
         r.metadataScript = [](int, char*, short* len) {
           *len = -20;
           return 2;
         };
       },
       0, 1, unreadable},
      {[](ScriptedRecord& r) {
         r.metadataScript = [](int, char* buf, short* len) { return fillWithoutNul("v|S|N", buf, len); };
       },
       1, 1, nullptr},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    ScriptedRecord record;
    cases[i].setUp(record);
    std::string vol = "stale", serial, snap, group;
    EXPECT_EQ(GetVolumeInfoFromSnapMetaData(&record, vol, serial, snap, group, false),
              cases[i].result)
        << i;
    EXPECT_EQ(record.metadataCalls, cases[i].calls) << i;
    if (cases[i].log != nullptr) {
      EXPECT_TRUE(record.logged(2, kVolumeContext, cases[i].log)) << i << record.logText();
      EXPECT_EQ(vol, "stale") << i;
    } else {
      EXPECT_EQ(vol.front(), 'v') << i;
      EXPECT_EQ(serial.substr(0, 1), "S") << i;
    }
  }
}

class UpdateMetaDataSnapUUIDTest : public ::testing::Test {
 protected:
  void SetUp() override {
    record.setMeta(KXSO::SM_MDT_SNAP_UUID, "dbvol_a|SER1|SN1|");
    record.state().snapUUID = "dbvol_a.SP-2-5-77";
  }
  bool update(const std::string& group = "") {
    return UpdateMetaDataSnapUUID(&record, "dbvol_b", "SER1", "SN1", group);
  }
  bool logged(int level, const std::string& text) const {
    return record.logged(level, "UpdateMetaDataSnapUUID", text);
  }

  ScriptedRecord record;
};

TEST_F(UpdateMetaDataSnapUUIDTest, RenamesMetadataAndUUID) {
  ASSERT_TRUE(update());
  EXPECT_EQ(record.meta(KXSO::SM_MDT_SNAP_UUID), "dbvol_b|SER1|SN1");
  EXPECT_EQ(record.state().snapUUID, "dbvol_b.SP-2-5-77");
  EXPECT_TRUE(logged(1, "Updated metadata from [dbvol_a|SER1|SN1|] to [dbvol_b|SER1|SN1]"));
  EXPECT_TRUE(logged(1,
                     "Updated snapUUID from [dbvol_a.SP-2-5-77]  to [dbvol_b.SP-2-5-77] and "
                     "metadata from [dbvol_a|SER1|SN1|] to [dbvol_b|SER1|SN1]"));
}

TEST_F(UpdateMetaDataSnapUUIDTest, KeepsTheUUIDFromItsFirstSuffixOn) {
  record.state().snapUUID = "old.SP-2-1.SP-2-2";
  ASSERT_TRUE(update());
  EXPECT_EQ(record.state().snapUUID, "dbvol_b.SP-2-1.SP-2-2");
}

TEST_F(UpdateMetaDataSnapUUIDTest, JoinsOnlyNonEmptyFields) {
  struct Case {
    std::string vol, serial, snap, metadata;
  };
  for (const Case& c : {Case{"v", "", "N", "v|N"}, Case{"", "S", "", "|S"},
                        Case{"v", "S", "", "v|S"}, Case{"", "", "", ""}}) {
    SetUp();
    ASSERT_TRUE(UpdateMetaDataSnapUUID(&record, c.vol, c.serial, c.snap, ""));
    EXPECT_EQ(record.meta(KXSO::SM_MDT_SNAP_UUID), c.metadata);
    EXPECT_EQ(record.state().snapUUID, c.vol + ".SP-2-5-77");
  }
}

TEST_F(UpdateMetaDataSnapUUIDTest, LeavesProtectionGroupSnapshotsAlone) {
  ASSERT_TRUE(update("pg1.SP-2-5-77"));
  EXPECT_EQ(record.meta(KXSO::SM_MDT_SNAP_UUID), "dbvol_a|SER1|SN1|");
  EXPECT_EQ(record.state().snapUUID, "dbvol_a.SP-2-5-77");
  EXPECT_TRUE(
      logged(1, "Snapshot metadata/uuid does not change for protection group snapshots"));
}

TEST_F(UpdateMetaDataSnapUUIDTest, UUIDWithoutSuffixFailsAfterTheMetadataIsRewritten) {
  record.state().snapUUID = "dbvol_a-5-77";
  EXPECT_FALSE(update());
  EXPECT_EQ(record.state().snapUUID, "dbvol_a-5-77");
  EXPECT_EQ(record.meta(KXSO::SM_MDT_SNAP_UUID), "dbvol_b|SER1|SN1");
  EXPECT_TRUE(logged(2, "snapUUID [dbvol_a-5-77]  is corrupted"));
}

TEST_F(UpdateMetaDataSnapUUIDTest, ReportsEachHostFailure) {
  struct Case {
    const char* op;
    const char* log;
    bool metadataRewritten;
  };
  for (const Case& c :
       {Case{"getMetadataString", "Unable to get metadata", false},
        Case{"setMetadata", "Could not update the metadata to [dbvol_b|SER1|SN1]", false},
        Case{"getSnapUUIDString", "Could not get the snapUUID", true},
        Case{"setSnapUUID", "Unable to set snapUUID to [dbvol_b.SP-2-5-77]", true}}) {
    ScriptedRecord fresh;
    fresh.setMeta(KXSO::SM_MDT_SNAP_UUID, "dbvol_a|SER1|SN1|");
    fresh.state().snapUUID = "dbvol_a.SP-2-5-77";
    fresh.failOn(c.op);
    EXPECT_FALSE(UpdateMetaDataSnapUUID(&fresh, "dbvol_b", "SER1", "SN1", "")) << c.op;
    EXPECT_TRUE(fresh.logged(2, "UpdateMetaDataSnapUUID", c.log)) << c.op << fresh.logText();
    EXPECT_EQ(fresh.meta(KXSO::SM_MDT_SNAP_UUID),
              c.metadataRewritten ? "dbvol_b|SER1|SN1" : "dbvol_a|SER1|SN1|")
        << c.op;
    EXPECT_EQ(fresh.state().snapUUID, "dbvol_a.SP-2-5-77") << c.op;
  }
  EXPECT_FALSE(UpdateMetaDataSnapUUID(nullptr, "v", "", "", ""));
}

}  // namespace
