// The plug-in's exported C entry points. Every record-taking entry point
// returns 0 (every record done), 1 (failure or nothing done) or 2 (partial).
#ifndef KXSO_ENTRYPOINTS_H
#define KXSO_ENTRYPOINTS_H

#include <map>
#include <string>
#include <vector>

#include "KXSOOSUtil.h"
#include "KXSOSnapInfo.h"

#define KXSO_EXPORT extern "C" __attribute__((visibility("default")))

using KxsoDeviceMap = std::map<std::string, std::vector<std::string>>;

KXSO_EXPORT void kxso_version(short* major, short* minor, short* revision);
KXSO_EXPORT int kxso_isSupported(const char* device, int reserved, void* context, char* error,
                                 short errorLen);
KXSO_EXPORT int kxso_prepareDevices(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_processVPDInfo(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_unprepareDevices(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_prepareRemoteSnaps(KXSO::SnapInfo** records, short count,
                                        KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_createRemoteSnaps(KXSO::SnapInfo** records, short count,
                                       KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_preSnapDevices(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_snapDevices(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_postSnapDevices(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_isMapped(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_unmapSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_mapSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_deleteSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_revertSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_reconcileSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_execSnapEngineOp(KXSO::SnapInfo** records, short count,
                                      KXSO::KXOSUtil* util);
KXSO_EXPORT int kxso_identifyDevices(KXSO::SnapInfo** records, short count,
                                     KxsoDeviceMap* devices, int mode, short* mismatches,
                                     KXSO::KXOSUtil* util);

#endif  // KXSO_ENTRYPOINTS_H
