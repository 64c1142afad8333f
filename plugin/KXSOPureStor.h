// The lifecycle drivers behind the exported entry points, and the operation
// names they log and report under.
#ifndef KXSO_PURESTOR_H
#define KXSO_PURESTOR_H

#include <string>

#include "KXSOEntryPoints.h"

namespace kxso {

// "Pure Storage FlashArray" followed by one of the suffixes below.
constexpr const char* kVendorName = "Pure Storage FlashArray";
std::string operationName(const char* suffix);

constexpr const char* kOpPrepare = "-PREPARE";
constexpr const char* kOpProcessVpd = "-PROCESSVPD";
constexpr const char* kOpPrepareRemote = "-PREPARE-REMOTE";
constexpr const char* kOpCreate = "-CREATE";
constexpr const char* kOpPostSnap = "-POST-SNAP";
constexpr const char* kOpDelete = "-DELETE";
constexpr const char* kOpRevert = "-REVERT";
constexpr const char* kOpRecon = "-RECON";
constexpr const char* kOpExecOp = "-EXEC-OP";
constexpr const char* kOpMap = "-MAP";
constexpr const char* kOpUnmap = "-UNMAP";
constexpr const char* kOpMapRegular = "-MAPREGULAR";
constexpr const char* kOpUnmapRegular = "-UNMAPREGULAR";
constexpr const char* kOpMapNfs = "-MAPNFS";
constexpr const char* kOpUnmapNfs = "-UNMAPNFS";
constexpr const char* kOpIdentifyDevices = "-IDENTIFY-DEVICES";

// "Local" or "Remote", as "Beginning [%s] Mode[%s]" shows the mode.
inline const char* modeName(bool localMode) { return localMode ? "Local" : "Remote"; }

}  // namespace kxso

// Drivers. Each validates its arguments first and returns 0 / 1 / 2.
// localMode is true when the host called on its own behalf (only then may
// the work be forwarded to a remote proxy).
int prepareDevices(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
int processVPDInfo(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
int prepareRemoteSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util,
                       bool localMode);
int snapDevices(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util, bool localMode);
int postSnapDevices(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util,
                    bool localMode);
int deleteSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util, bool localMode);
int revertSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util, bool localMode);
int reconcileSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util,
                   bool localMode);
int mapSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
int unmapSnaps(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
int execSnapEngineOp(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util);
int identifyDevices(KXSO::SnapInfo** records, short count, KxsoDeviceMap* devices, int mode,
                    short* mismatches, KXSO::KXOSUtil* util);
// The device test behind kxso_isSupported.
int isDeviceSupported(const char* device, char* error, short errorLen);

#endif  // KXSO_PURESTOR_H
