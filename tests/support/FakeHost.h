// Test doubles of the backup host, on top of the in-memory host model
// (tools/hostmodel), plus captures of the platform log and sleeps.
//
//   kxtest::FakeOSUtil util(2);                 // a job of two records
//   util.record(0).setSourceDevice("/dev/sdb");
//   util.record(0).setMeta(KXSO::SM_MDT_SNAP_UUID, "vol|SERIAL");
//   util.addArray("array1", "<array-info string>", {"alias1"});
//   int rc = kxso_snapDevices(util.records(), util.count(), &util);
//   EXPECT_EQ(util.record(0).status(), KXSO::SNAP_CREATED);
//   EXPECT_TRUE(util.record(0).hasLog("Beginning ["));
//
// Everything of the model stays reachable: record(i).state() is the
// record's kxhost::RecordState, util.state() the kxhost::OSUtilState,
// util.arrays() the array registry. Failure knobs: failOn("getMetadata"),
// failOn("getMetadata:6"), failOn("getConfigString:KEY"), see
// ModelSnapInfo.h and ModelOSUtil.h for each operation's answers.
#ifndef KXTEST_FAKEHOST_H
#define KXTEST_FAKEHOST_H

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "HostSleep.h"
#include "KXSOCodes.h"
#include "ModelOSUtil.h"
#include "ModelSnapInfo.h"

namespace kxtest {

class FakeSnapInfo : public kxhost::ModelSnapInfo {
 public:
  using kxhost::ModelSnapInfo::ModelSnapInfo;

  // Setting up.
  void setSourceDevice(const std::string& name) { state().sourceDeviceName = name; }
  void setHostIdentifier(const std::string& id) { state().hostIdentifier = id; }
  void setMeta(short type, const std::string& text) { state().metadata[type] = text; }
  void setConfig(const std::string& key, const std::string& value) {
    state().configStrings[key] = value;
  }
  void setConfig(const std::string& key, int value) { state().configInts[key] = value; }
  void setValueOf(int valueId, int value) { state().values[valueId] = value; }
  void setJobFlags(uint64_t flags) { state().jobFlags = flags; }
  void setInquiry(int page, const std::vector<unsigned char>& data) {
    state().inquiry[page] = data;
  }
  // The named operation answers failure from now on.
  void failOn(const std::string& op) { state().failing.add(op); }

  // Reading back.
  int status() const { return state().status; }
  int errorCode() const { return state().errorCode; }
  const std::string& errorMessage() const { return state().errorMessage; }
  bool hasMeta(short type) const { return state().metadata.count(type) != 0; }
  std::string meta(short type) const;  // "" when missing
  const std::vector<kxhost::LogLine>& logLines() const { return state().log; }
  // Lines whose text contains the substring.
  size_t logCount(const std::string& text) const;
  // hasLog(substring) and logText() come from the model.
};

class FakeOSUtil : public kxhost::ModelOSUtil {
 public:
  explicit FakeOSUtil(int records = 0);
  explicit FakeOSUtil(std::shared_ptr<kxhost::ArrayRegistry> registry, int records = 0);

  // A new job record (a FakeSnapInfo owned here).
  FakeSnapInfo& addRecord();
  // The i-th job record (copies made by cloneSnapInfoList included).
  FakeSnapInfo& record(size_t i);
  // records() / count(): the job's null-terminated record array and size,
  // as the plug-in receives them (from the model).

  // Registers an array with its array-info string; returns its id.
  int addArray(const std::string& name, const std::string& info,
               const std::vector<std::string>& aliases = {},
               const std::string& vendor = "Pure Storage FlashArray");
  using kxhost::ModelOSUtil::addArray;
  void setDevices(const std::vector<std::string>& names, const std::string& host = "") {
    state().devicesByHost[host] = names;
  }
  void addHba(const std::string& name, bool iscsi, const std::string& host = "") {
    state().hbasByHost[host].push_back({name, iscsi});
  }
  void failOn(const std::string& op) { state().failing.add(op); }

 protected:
  std::unique_ptr<kxhost::ModelSnapInfo> newRecord() override;
};

// Points the platform host log at a temporary file for its lifetime (level
// 4, everything) and reads it back; restores the previous file and level.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const std::string& path() const { return path_; }
  std::string text() const;
  std::vector<std::string> lines() const;
  bool contains(const std::string& text) const;
  size_t count(const std::string& text) const;  // lines containing it
  void clear();                                 // forgets what was logged so far

 private:
  std::string path_;
  std::string previousFile_;
  int previousLevel_;
};

// Replaces the host sleep for its lifetime and records every sleep instead
// of sleeping; restores the real sleep afterwards. One at a time: they do
// not nest.
class SleepRecorder {
 public:
  SleepRecorder();
  ~SleepRecorder();
  SleepRecorder(const SleepRecorder&) = delete;
  SleepRecorder& operator=(const SleepRecorder&) = delete;

  struct Sleep {
    unsigned int milliseconds;
    std::string file;  // the caller's source name and line
    int line;
  };

  std::vector<unsigned int> sleeps() const;  // milliseconds, in order
  std::vector<Sleep> calls() const;          // with the callers
  size_t count() const;
  unsigned long long totalMs() const;

 private:
  struct Shared {
    mutable std::mutex mutex;
    std::vector<Sleep> calls;
  };
  std::shared_ptr<Shared> shared_;
};

}  // namespace kxtest

#endif  // KXTEST_FAKEHOST_H
