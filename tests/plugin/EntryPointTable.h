// The entry points as tables, and the check of one invalid-argument call,
// shared by the tests that call the linked functions and those that go
// through the loaded plug-in.
#ifndef KXTEST_ENTRYPOINTTABLE_H
#define KXTEST_ENTRYPOINTTABLE_H

#include <string>
#include <vector>

#include "FakeHost.h"
#include "KXSOEntryPoints.h"

namespace kxtest {

using RecordEntry = int (*)(KXSO::SnapInfo**, short, KXSO::KXOSUtil*);
using IdentifyEntry = int (*)(KXSO::SnapInfo**, short, KxsoDeviceMap*, int, short*,
                              KXSO::KXOSUtil*);

// A record-taking entry point that validates its arguments.
struct EntryInfo {
  const char* name;
  bool localWrapper;  // logs "Executing in local mode." on a first record
  bool identify;      // has the identifyDevices signature
};
const std::vector<EntryInfo>& validatingEntries();

struct StubInfo {
  const char* name;
  int result;
};
const std::vector<StubInfo>& stubEntries();

// Every exported entry point name.
const std::vector<std::string>& allEntryNames();

// The function linked into this program under that name.
void* linkedEntry(const char* name);

struct CallArgs {
  KXSO::SnapInfo** records;
  short count;
  KXSO::KXOSUtil* util;
};

// One invalid-argument case over a job of three records.
struct InvalidCase {
  const char* name;
  const char* expectedLog;  // the validation's host log line
  CallArgs (*make)(FakeOSUtil& util, std::vector<KXSO::SnapInfo*>& storage);
};
const std::vector<InvalidCase>& invalidCases();

// Three records with status, error, metadata and a configured proxy.
void fillJob(FakeOSUtil& util);

// Calls fn (of entry's signature) with the case's arguments and checks:
// result 1, no record changed, no host service used, only the wrapper's
// line on the first record, the validation's line in the host log.
void checkInvalidCall(const EntryInfo& entry, void* fn, const InvalidCase& invalid);

}  // namespace kxtest

#endif  // KXTEST_ENTRYPOINTTABLE_H
