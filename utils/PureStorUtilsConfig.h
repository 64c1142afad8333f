// The per-call caches of connected array clients, and the configuration
// options that tune clients and drivers.
//
// A cache maps the array's host id (the "hostid" of the device's array-info
// string, 0 when absent) to a connected client it owns; a driver fills it on
// first use of an array and empties it with freePureAPI / freeGenericPureAPI
// on every exit path. A client that fails to initialise or connect is
// destroyed at once and not cached.
#ifndef PURESTOR_UTILS_CONFIG_H
#define PURESTOR_UTILS_CONFIG_H

#include <map>
#include <string>

#include "ArrayTypes.h"
#include "KXSOOSUtil.h"
#include "KXSOSnapInfo.h"

class ArrayBaseAPI;
class PureStorageAPI;

// Snap configuration keys.
extern const char kCfgMountRetryInterval[];    // "SMCONFIG_NAME_MOUNT_RETRY_INTERVAL_IN_SEC"
extern const char kCfgMountRetryCount[];       // "SMCONFIG_NAME_MOUNT_RETRY_COUNT"
extern const char kCfgConnectToHostGroup[];    // "SMCONFIG_NAME_CONNECT_TO_HOSTGROUP"
extern const char kCfgDiagnosticLogging[];     // "SMCONFIG_NAME_ENABLE_DIAGNOSTIC_LOGGING"
extern const char kCfgUseHostIfNoHostGroup[];  // "SMCONFIG_NAME_USE_HOST_IF_HOST_GROUP_NOT_AVAILABLE"
extern const char kCfgReplicationTarget[];     // "SMCONFIG_NAME_REPLICATION_TARGET_MANAGEMENT_IP"
extern const char kCfgRemoteSnapProxy[];       // "SMCONFIG_NAME_REMOTE_SNAP_PX"
extern const char kCfgDisablePodProcessing[];  // "SMCONFIG_DISABLE_POD_VOLUME_PURESTOR_KEY"

// Registry value names (section "~Ferrowin").
extern const char kRegPostSnapRetryCount[];     // "nPureStorPostSnapRetryCount"
extern const char kRegPostSnapRetryInterval[];  // "nPureStorPostSnapRetryInterval"
extern const char kRegUseHostWithoutHostGroup[];  // "nPureStoreUseHostWithoutHostGroup"

// The connected FlashArray client for the record's array, from the cache
// or newly connected (then cached, its own options read). With
// arrayDetails the array serial number and firmware version are logged and
// the API versions fetched. null on failure, with the client's error text
// in error (untouched when the array-info string cannot be read).
PureStorageAPI* getPureAPIForArray(std::map<int, PureStorageAPI*>& cache, KXSO::KXOSUtil* util,
                                   KXSO::SnapInfo* record, std::string& error, bool arrayDetails);

// The same for any array: a FlashBlade client for an NFS source device, a
// FlashArray client otherwise; the base options record is filled. Array
// details are read for FlashArray clients only.
ArrayBaseAPI* getGenericPureAPIForArray(std::map<int, ArrayBaseAPI*>& cache, KXSO::KXOSUtil* util,
                                        KXSO::SnapInfo* record, std::string& error,
                                        bool arrayDetails);

// Destroy (and so log off) every client; the cache is empty afterwards.
void freePureAPI(std::map<int, PureStorageAPI*>& cache);
void freeGenericPureAPI(std::map<int, ArrayBaseAPI*>& cache);

// Fills configs from the record's snap configuration; a missing value is
// logged as a warning and replaced by its default.
void readArrayConfigOptions(KXSO::SnapInfo* record, PureStorArrayConfigs& configs);

// The integer registry value "~Ferrowin[/subSection]" / name; true when
// found, value untouched otherwise.
bool GetRegInt(const char* subSection, const char* name, int& value);

// 0 for a null record, else its mount id.
int getMountSnapId(KXSO::SnapInfo* record);

// "KX-" + deployment number in upper-case hex + "-" + subclient id.
bool getDefaultProtectionGroupName(KXSO::SnapInfo* record, std::string& name);

// The remote snapshot proxy option, when set, into name. Always 1.
int getRemoteSnapPX(KXSO::SnapInfo* record, std::string& name);

#endif  // PURESTOR_UTILS_CONFIG_H
