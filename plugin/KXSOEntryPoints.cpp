// The exported entry points: each forwards to its driver and turns any
// exception into the failure result, so nothing escapes into the host.
#include "KXSOEntryPoints.h"

#include "KXSOPureStor.h"
#include "PureStorUtilsErrors.h"

namespace {

template <typename Call>
int guarded(const char* entry, Call&& call) noexcept {
  try {
    return call();
  } catch (const std::exception& e) {
    g_HostLog.debugLvl(-1, "%s failed: unexpected exception [%s]", entry, e.what());
  } catch (...) {
    g_HostLog.debugLvl(-1, "%s failed: unexpected exception", entry);
  }
  return 1;
}

// The wrappers' local-mode line, on the first record when there is one.
void logLocalMode(KXSO::SnapInfo** records, short count) {
  if (records != nullptr && count > 0 && records[0] != nullptr)
    records[0]->logMessage(1, "Executing in local mode.");
}

}  // namespace

#define KXSO_LOCAL_WRAPPER(entry, driver)                                        \
  int entry(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util) {      \
    return guarded(#entry, [&] {                                                 \
      logLocalMode(records, count);                                              \
      return driver(records, count, util, true);                                 \
    });                                                                          \
  }

#define KXSO_FORWARD(entry, driver)                                              \
  int entry(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util) {      \
    return guarded(#entry, [&] { return driver(records, count, util); });        \
  }

#define KXSO_STUB(entry, result)                                                 \
  int entry(KXSO::SnapInfo**, short, KXSO::KXOSUtil*) { return result; }

void kxso_version(short* major, short* minor, short* revision) {
  if (major == nullptr || minor == nullptr || revision == nullptr) return;
  *major = 1;
  *minor = 0;
  *revision = 1;
}

int kxso_isSupported(const char* device, int, void*, char* error, short errorLen) {
  return guarded("kxso_isSupported", [&] { return isDeviceSupported(device, error, errorLen); });
}

KXSO_FORWARD(kxso_prepareDevices, prepareDevices)
KXSO_FORWARD(kxso_processVPDInfo, processVPDInfo)
KXSO_STUB(kxso_unprepareDevices, 1)
KXSO_LOCAL_WRAPPER(kxso_prepareRemoteSnaps, prepareRemoteSnaps)
KXSO_STUB(kxso_createRemoteSnaps, 1)
KXSO_STUB(kxso_preSnapDevices, 0)
KXSO_LOCAL_WRAPPER(kxso_snapDevices, snapDevices)
KXSO_LOCAL_WRAPPER(kxso_postSnapDevices, postSnapDevices)
KXSO_STUB(kxso_isMapped, 1)
KXSO_FORWARD(kxso_unmapSnaps, unmapSnaps)
KXSO_FORWARD(kxso_mapSnaps, mapSnaps)
KXSO_LOCAL_WRAPPER(kxso_deleteSnaps, deleteSnaps)
KXSO_LOCAL_WRAPPER(kxso_revertSnaps, revertSnaps)
KXSO_LOCAL_WRAPPER(kxso_reconcileSnaps, reconcileSnaps)
KXSO_FORWARD(kxso_execSnapEngineOp, execSnapEngineOp)

int kxso_identifyDevices(KXSO::SnapInfo** records, short count, KxsoDeviceMap* devices,
                         int mode, short* mismatches, KXSO::KXOSUtil* util) {
  return guarded("kxso_identifyDevices", [&] {
    return identifyDevices(records, count, devices, mode, mismatches, util);
  });
}
