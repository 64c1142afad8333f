// Drivers not built yet. Each validates its arguments like every driver and
// then fails with one log line; no record is touched. Each is removed from
// here when its driver lands.
#include <cstring>

#include "KXSOPureStor.h"
#include "PureStorUtilsErrors.h"

namespace {

int notAvailable(const char* suffix, KXSO::SnapInfo** records, short count,
                 KXSO::KXOSUtil* util) {
  if (!checkPassedInDevices(records, count, util)) return 1;
  g_HostLog.debugLvl(-1, "%s is not available in this build of the plug-in",
                     kxso::operationName(suffix).c_str());
  return 1;
}

}  // namespace

int prepareDevices(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u) {
  return notAvailable(kxso::kOpPrepare, r, c, u);
}
int processVPDInfo(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u) {
  return notAvailable(kxso::kOpProcessVpd, r, c, u);
}
int prepareRemoteSnaps(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u, bool) {
  return notAvailable(kxso::kOpPrepareRemote, r, c, u);
}
int snapDevices(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u, bool) {
  return notAvailable(kxso::kOpCreate, r, c, u);
}
int postSnapDevices(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u, bool) {
  return notAvailable(kxso::kOpPostSnap, r, c, u);
}
int deleteSnaps(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u, bool) {
  return notAvailable(kxso::kOpDelete, r, c, u);
}
int revertSnaps(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u, bool) {
  return notAvailable(kxso::kOpRevert, r, c, u);
}
int reconcileSnaps(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u, bool) {
  return notAvailable(kxso::kOpRecon, r, c, u);
}
int mapSnaps(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u) {
  return notAvailable(kxso::kOpMap, r, c, u);
}
int unmapSnaps(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u) {
  return notAvailable(kxso::kOpUnmap, r, c, u);
}
int execSnapEngineOp(KXSO::SnapInfo** r, short c, KXSO::KXOSUtil* u) {
  return notAvailable(kxso::kOpExecOp, r, c, u);
}
int identifyDevices(KXSO::SnapInfo** r, short c, KxsoDeviceMap*, int, short*,
                    KXSO::KXOSUtil* u) {
  return notAvailable(kxso::kOpIdentifyDevices, r, c, u);
}
