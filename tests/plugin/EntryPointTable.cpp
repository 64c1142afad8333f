#include "EntryPointTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <tuple>

namespace kxtest {
namespace {

// What an entry point may not change on a record.
struct Fingerprint {
  explicit Fingerprint(const kxhost::RecordState& s)
      : status(s.status),
        errorCode(s.errorCode),
        errorMessage(s.errorMessage),
        snapUUID(s.snapUUID),
        snapDeviceName(s.snapDeviceName),
        arrayIdentity(s.arrayIdentity),
        arrayName(s.arrayName),
        volumeSerial(s.volumeSerial),
        volumeName(s.volumeName),
        metadata(s.metadata),
        deviceFlags(s.deviceFlags),
        arrayId(s.arrayId),
        identifyResult(s.identifyResult) {}
  auto fields() const {
    return std::tie(status, errorCode, errorMessage, snapUUID, snapDeviceName, arrayIdentity,
                    arrayName, volumeSerial, volumeName, metadata, deviceFlags, arrayId,
                    identifyResult);
  }
  bool operator==(const Fingerprint& o) const { return fields() == o.fields(); }

  int status, errorCode;
  std::string errorMessage, snapUUID, snapDeviceName, arrayIdentity, arrayName, volumeSerial,
      volumeName;
  std::map<int, std::string> metadata;
  uint64_t deviceFlags;
  int arrayId, identifyResult;
};

CallArgs withArray(FakeOSUtil& util, std::vector<KXSO::SnapInfo*>& storage, short count) {
  return {storage.data(), count, &util};
}

std::vector<KXSO::SnapInfo*> jobArray(FakeOSUtil& util) {
  KXSO::SnapInfo** r = util.records();
  return {r[0], r[1], r[2], nullptr};
}

}  // namespace

const std::vector<EntryInfo>& validatingEntries() {
  static const std::vector<EntryInfo> entries = {
      {"kxso_prepareDevices", false, false},   {"kxso_processVPDInfo", false, false},
      {"kxso_prepareRemoteSnaps", true, false}, {"kxso_snapDevices", true, false},
      {"kxso_postSnapDevices", true, false},   {"kxso_unmapSnaps", false, false},
      {"kxso_mapSnaps", false, false},         {"kxso_deleteSnaps", true, false},
      {"kxso_revertSnaps", true, false},       {"kxso_reconcileSnaps", true, false},
      {"kxso_execSnapEngineOp", false, false}, {"kxso_identifyDevices", false, true},
  };
  return entries;
}

const std::vector<StubInfo>& stubEntries() {
  static const std::vector<StubInfo> stubs = {
      {"kxso_preSnapDevices", 0},
      {"kxso_unprepareDevices", 1},
      {"kxso_createRemoteSnaps", 1},
      {"kxso_isMapped", 1},
  };
  return stubs;
}

const std::vector<std::string>& allEntryNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n = {"kxso_version", "kxso_isSupported"};
    for (const EntryInfo& e : validatingEntries()) n.push_back(e.name);
    for (const StubInfo& s : stubEntries()) n.push_back(s.name);
    return n;
  }();
  return names;
}

void* linkedEntry(const char* name) {
  static const std::map<std::string, void*> linked = {
      {"kxso_version", reinterpret_cast<void*>(&kxso_version)},
      {"kxso_isSupported", reinterpret_cast<void*>(&kxso_isSupported)},
      {"kxso_prepareDevices", reinterpret_cast<void*>(&kxso_prepareDevices)},
      {"kxso_processVPDInfo", reinterpret_cast<void*>(&kxso_processVPDInfo)},
      {"kxso_unprepareDevices", reinterpret_cast<void*>(&kxso_unprepareDevices)},
      {"kxso_prepareRemoteSnaps", reinterpret_cast<void*>(&kxso_prepareRemoteSnaps)},
      {"kxso_createRemoteSnaps", reinterpret_cast<void*>(&kxso_createRemoteSnaps)},
      {"kxso_preSnapDevices", reinterpret_cast<void*>(&kxso_preSnapDevices)},
      {"kxso_snapDevices", reinterpret_cast<void*>(&kxso_snapDevices)},
      {"kxso_postSnapDevices", reinterpret_cast<void*>(&kxso_postSnapDevices)},
      {"kxso_isMapped", reinterpret_cast<void*>(&kxso_isMapped)},
      {"kxso_unmapSnaps", reinterpret_cast<void*>(&kxso_unmapSnaps)},
      {"kxso_mapSnaps", reinterpret_cast<void*>(&kxso_mapSnaps)},
      {"kxso_deleteSnaps", reinterpret_cast<void*>(&kxso_deleteSnaps)},
      {"kxso_revertSnaps", reinterpret_cast<void*>(&kxso_revertSnaps)},
      {"kxso_reconcileSnaps", reinterpret_cast<void*>(&kxso_reconcileSnaps)},
      {"kxso_execSnapEngineOp", reinterpret_cast<void*>(&kxso_execSnapEngineOp)},
      {"kxso_identifyDevices", reinterpret_cast<void*>(&kxso_identifyDevices)},
  };
  auto it = linked.find(name);
  return it == linked.end() ? nullptr : it->second;
}

const std::vector<InvalidCase>& invalidCases() {
  static const std::vector<InvalidCase> cases = {
      {"CountZero", "Device count[0] not valid",
       [](FakeOSUtil& u, std::vector<KXSO::SnapInfo*>& s) {
         s = jobArray(u);
         return withArray(u, s, 0);
       }},
      {"CountNegative", "Device count[-1] not valid",
       [](FakeOSUtil& u, std::vector<KXSO::SnapInfo*>& s) {
         s = jobArray(u);
         return withArray(u, s, -1);
       }},
      {"NullArray", "Device list is null",
       [](FakeOSUtil& u, std::vector<KXSO::SnapInfo*>&) { return CallArgs{nullptr, 3, &u}; }},
      {"NullFirstRecord", "Device list is null",
       [](FakeOSUtil& u, std::vector<KXSO::SnapInfo*>& s) {
         s = jobArray(u);
         s[0] = nullptr;
         return withArray(u, s, 3);
       }},
      {"NullUtil", "Snap Util object is null",
       [](FakeOSUtil& u, std::vector<KXSO::SnapInfo*>& s) {
         s = jobArray(u);
         return CallArgs{s.data(), 3, nullptr};
       }},
      {"NullLastOfCount", "Invalid SnapInfo pointer.",
       [](FakeOSUtil& u, std::vector<KXSO::SnapInfo*>& s) {
         s = jobArray(u);
         s[2] = nullptr;
         return withArray(u, s, 3);
       }},
      {"NullInMiddle", "Invalid SnapInfo pointer.",
       [](FakeOSUtil& u, std::vector<KXSO::SnapInfo*>& s) {
         s = jobArray(u);
         s[1] = nullptr;
         return withArray(u, s, 3);
       }},
  };
  return cases;
}

void fillJob(FakeOSUtil& util) {
  util.addArray("fa1", "fa1-info");
  while (util.count() < 3) util.addRecord();
  for (int i = 0; i < 3; ++i) {
    FakeSnapInfo& r = util.record(static_cast<size_t>(i));
    const std::string n = std::to_string(i);
    r.setSourceDevice("/dev/sd" + std::string(1, static_cast<char>('b' + i)));
    r.state().status = 7;
    r.state().errorCode = 1;
    r.state().errorMessage = "earlier error " + n;
    r.state().snapUUID = "snap-" + n;
    r.setMeta(KXSO::SM_MDT_SNAP_UUID, "vol" + n + "|SERIAL" + n);
    r.setMeta(KXSO::SM_MDT_CLONE_VOLUME, "CLONE" + n);
    r.setConfig("SMCONFIG_NAME_REMOTE_SNAP_PX", "proxy1");
    r.state().deviceFlags = 0x8000000;
  }
  util.setDevices({"/dev/sdb", "/dev/sdc"});
  util.addHba("iqn.2020-01.host:a", true);
  util.setRemoteHook([](kxhost::ModelOSUtil&, const std::string&) { return true; });
}

void checkInvalidCall(const EntryInfo& entry, void* fn, const InvalidCase& invalid) {
  ASSERT_NE(fn, nullptr) << entry.name;
  FakeOSUtil util;
  fillJob(util);
  std::vector<Fingerprint> before;
  for (int i = 0; i < 3; ++i) before.emplace_back(util.record(static_cast<size_t>(i)).state());
  std::vector<KXSO::SnapInfo*> storage;
  const CallArgs args = invalid.make(util, storage);

  LogCapture capture;
  KxsoDeviceMap devices = {{"disk", {"/dev/sdb"}}};
  const KxsoDeviceMap devicesBefore = devices;
  short mismatches = 5;
  int rc = -100;
  if (entry.identify) {
    rc = reinterpret_cast<IdentifyEntry>(fn)(args.records, args.count, &devices, 0, &mismatches,
                                             args.util);
  } else {
    rc = reinterpret_cast<RecordEntry>(fn)(args.records, args.count, args.util);
  }
  EXPECT_EQ(rc, 1);
  for (int i = 0; i < 3; ++i) {
    const FakeSnapInfo& r = util.record(static_cast<size_t>(i));
    EXPECT_TRUE(Fingerprint(r.state()) == before[static_cast<size_t>(i)]) << "record " << i;
    const bool localLine = i == 0 && entry.localWrapper && args.count > 0 &&
                           args.records != nullptr && args.records[0] != nullptr;
    if (localLine) {
      ASSERT_EQ(r.logLines().size(), 1u) << r.logText();
      EXPECT_EQ(r.logLines()[0].text, "Executing in local mode.");
      EXPECT_EQ(r.logLines()[0].level, 1);
    } else {
      EXPECT_TRUE(r.logLines().empty()) << "record " << i << ": " << r.logText();
    }
  }
  EXPECT_TRUE(util.state().remoteCalls.empty());
  EXPECT_TRUE(util.state().rescans.empty());
  EXPECT_EQ(util.count(), 3);  // no copies made
  if (entry.identify) {
    EXPECT_EQ(devices, devicesBefore);
    EXPECT_EQ(mismatches, 5);
  }
  EXPECT_EQ(capture.count(std::string("L-1 [PureStorUtils::checkPassedInDevices] ") +
                          invalid.expectedLog),
            1u)
      << capture.text();
}

}  // namespace kxtest
