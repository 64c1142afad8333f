// A small plug-in for the reference host's own tests. Its snap step asks the
// host to run the records on proxy "px1"; on the proxy its exec-op entry
// point marks the first record (status and metadata) or, when
// KXTEST_PROXY_DIES is set, dies. Built once more without
// kxso_identifyDevices to show a missing entry point.
#include <cstdlib>

#include "KXSOEntryPoints.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
int unused(KXSO::SnapInfo**, short, KXSO::KXOSUtil*) { return 1; }
}  // namespace

EXPORT void kxso_version(short* a, short* b, short* c) {
  if (a && b && c) *a = 9, *b = 8, *c = 7;
}
EXPORT int kxso_isSupported(const char*, int, void*, char* error, short len) {
  if (error && len > 0) error[0] = '\0';
  return 1;
}
EXPORT int kxso_prepareDevices(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_processVPDInfo(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_unprepareDevices(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_prepareRemoteSnaps(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_createRemoteSnaps(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_preSnapDevices(KXSO::SnapInfo**, short, KXSO::KXOSUtil*) { return 0; }
EXPORT int kxso_snapDevices(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) {
  if (r == nullptr || n < 1 || u == nullptr) return 1;
  r[0]->setMetadataLarge(61, "3");
  return u->executeOnRemote("px1") ? 0 : 1;
}
EXPORT int kxso_postSnapDevices(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_isMapped(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_unmapSnaps(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_mapSnaps(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_deleteSnaps(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_revertSnaps(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_reconcileSnaps(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil* u) { return unused(r, n, u); }
EXPORT int kxso_execSnapEngineOp(KXSO::SnapInfo** r, short n, KXSO::KXOSUtil*) {
  if (std::getenv("KXTEST_PROXY_DIES") != nullptr) std::abort();
  if (r == nullptr || n < 1) return 1;
  r[0]->setStatus(5);
  r[0]->setMetadata(6, "vol1|SERIAL-FROM-PROXY");
  r[0]->setMetadataLarge(60, "0");
  return 0;
}
#ifndef KXTEST_OMIT_IDENTIFY
EXPORT int kxso_identifyDevices(KXSO::SnapInfo** r, short n, KxsoDeviceMap*, int, short*,
                                KXSO::KXOSUtil* u) {
  return unused(r, n, u);
}
#endif
