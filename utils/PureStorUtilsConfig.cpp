#include "PureStorUtilsConfig.h"

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "CZuString.h"
#include "HostLog.h"
#include "KXPlatformInfo.h"
#include "KXSOCodes.h"
#include "PUREStorageAPI.h"
#include "PureFlashBladeAPI.h"
#include "PureStorUtilsErrors.h"
#include "PureStorUtilsStrings.h"

const char kCfgMountRetryInterval[] = "SMCONFIG_NAME_MOUNT_RETRY_INTERVAL_IN_SEC";
const char kCfgMountRetryCount[] = "SMCONFIG_NAME_MOUNT_RETRY_COUNT";
const char kCfgConnectToHostGroup[] = "SMCONFIG_NAME_CONNECT_TO_HOSTGROUP";
const char kCfgDiagnosticLogging[] = "SMCONFIG_NAME_ENABLE_DIAGNOSTIC_LOGGING";
const char kCfgUseHostIfNoHostGroup[] = "SMCONFIG_NAME_USE_HOST_IF_HOST_GROUP_NOT_AVAILABLE";
const char kCfgReplicationTarget[] = "SMCONFIG_NAME_REPLICATION_TARGET_MANAGEMENT_IP";
const char kCfgRemoteSnapProxy[] = "SMCONFIG_NAME_REMOTE_SNAP_PX";
const char kCfgDisablePodProcessing[] = "SMCONFIG_DISABLE_POD_VOLUME_PURESTOR_KEY";

const char kRegPostSnapRetryCount[] = "nPureStorPostSnapRetryCount";
const char kRegPostSnapRetryInterval[] = "nPureStorPostSnapRetryInterval";
const char kRegUseHostWithoutHostGroup[] = "nPureStoreUseHostWithoutHostGroup";

namespace {

const char kCacheContext[] = "PureStorUtils::getPureAPIForArray";
const char kConfigContext[] = "PureStorUtils::readArrayConfigOptions";
constexpr int kHostBuffer = 4096;

// The configuration text of key ("" when unset), read the way the host
// expects: a zeroed 4096-byte buffer and the length 4095.
std::string configText(KXSO::SnapInfo* record, const char* key) {
  std::vector<char> buf(kHostBuffer, '\0');
  int len = kHostBuffer - 1;
  record->getConfigString(key, buf.data(), &len);
  buf[kHostBuffer - 1] = '\0';
  return std::string(buf.data());
}

int configInt(KXSO::SnapInfo* record, const char* key, int fallback) {
  int value = -1;
  if (record->getConfigInt(key, &value) != 0) {
    record->logWithContext(2, kConfigContext, "Warn:Failed to get config [%s]", key);
    value = fallback;
  }
  record->logWithContext(0, kConfigContext, "Read snap config [%s = %d]", key, value);
  return value;
}

std::string configString(KXSO::SnapInfo* record, const char* context, const char* key) {
  std::string text = configText(record, key);
  if (!text.empty()) {
    record->logWithContext(0, context, "Read snap config [%s = '%s']", key, text.c_str());
  }
  return text;
}

void logArrayDetails(KXSO::SnapInfo* record, PureStorageAPI* client, const std::string& server,
                     bool arrayDetails) {
  if (!arrayDetails) {
    record->logWithContext(1, kCacheContext, "Connected to Array[%s]", server.c_str());
    return;
  }
  std::string serial, version;
  client->getArraySerialNumber(serial, version);
  record->logWithContext(1, kCacheContext, "Connected to Array[%s] SerialNum[%s] FW version[%s]",
                         server.c_str(), serial.c_str(), version.c_str());
  client->fetchAPIVersions();
}

// The shared body of both caches. make creates the client for the record;
// configsOf names the options record the cache fills.
template <typename Client, typename Make, typename ConfigsOf>
Client* cachedClient(std::map<int, Client*>& cache, KXSO::KXOSUtil* util,
                     KXSO::SnapInfo* record, std::string& error, bool arrayDetails, Make make,
                     ConfigsOf configsOf) {
  std::string server, user, password;
  int hostId = 0;
  if (GetAndParseArrayInfo(record, server, user, password, hostId) == 0) {
    record->logWithContext(2, kCacheContext, "Error:Unable to get the array details.");
    return nullptr;
  }
  auto found = cache.find(hostId);
  if (found != cache.end() && found->second != nullptr) return found->second;

  std::unique_ptr<Client> client(make());
  if (!client) {
    record->logWithContext(2, kCacheContext, "Unable to allocate memory for Pure API.");
    return nullptr;
  }
  if (!client->initialize(server, user, password, util, true)) {
    record->logWithContext(2, kCacheContext, "Error in initializing Pure Stor API. Err[%s]",
                           client->getErrorStr().c_str());
    error = client->getErrorStr();
    return nullptr;
  }
  if (!client->connect()) {
    record->logWithContext(2, kCacheContext, "Error in connecting to array. Err[%s]",
                           client->getErrorStr().c_str());
    error = client->getErrorStr();
    return nullptr;
  }
  if (client->GetArrayType() == FLASHARRAY) {
    logArrayDetails(record, static_cast<PureStorageAPI*>(static_cast<ArrayBaseAPI*>(client.get())),
                    server, arrayDetails);
  }
  Client* kept = client.release();
  cache[hostId] = kept;
  readArrayConfigOptions(record, configsOf(kept));
  return kept;
}

template <typename Client>
void freeClients(std::map<int, Client*>& cache) {
  for (auto& entry : cache) delete entry.second;
  cache.clear();
}

bool isNfsSource(KXSO::SnapInfo* record) {
  std::vector<char> buf(kHostBuffer, '\0');
  short len = kHostBuffer - 1;
  record->getSourceDeviceName(buf.data(), &len);
  buf[kHostBuffer - 1] = '\0';
  return SourceDeviceAttribs(std::string(buf.data())).isSrcNFSDevice();
}

}  // namespace

PureStorageAPI* getPureAPIForArray(std::map<int, PureStorageAPI*>& cache, KXSO::KXOSUtil* util,
                                   KXSO::SnapInfo* record, std::string& error, bool arrayDetails) {
  if (record == nullptr) return nullptr;
  return cachedClient(
      cache, util, record, error, arrayDetails,
      [record] { return new (std::nothrow) PureStorageAPI(record); },
      [](PureStorageAPI* c) -> PureStorArrayConfigs& { return c->getPureArrayConfigs(); });
}

ArrayBaseAPI* getGenericPureAPIForArray(std::map<int, ArrayBaseAPI*>& cache, KXSO::KXOSUtil* util,
                                        KXSO::SnapInfo* record, std::string& error,
                                        bool arrayDetails) {
  if (record == nullptr) return nullptr;
  const bool nfs = isNfsSource(record);
  return cachedClient(
      cache, util, record, error, arrayDetails,
      [record, nfs]() -> ArrayBaseAPI* {
        if (nfs) return new (std::nothrow) PureFlashBladeAPI(record);
        return new (std::nothrow) PureStorageAPI(record);
      },
      [](ArrayBaseAPI* c) -> PureStorArrayConfigs& { return c->getArrayConfigs(); });
}

void freePureAPI(std::map<int, PureStorageAPI*>& cache) { freeClients(cache); }

void freeGenericPureAPI(std::map<int, ArrayBaseAPI*>& cache) { freeClients(cache); }

void readArrayConfigOptions(KXSO::SnapInfo* record, PureStorArrayConfigs& configs) {
  if (record == nullptr) return;
  configs.mountRetryInterval = configInt(record, kCfgMountRetryInterval, 30);
  configs.mountRetryCount = configInt(record, kCfgMountRetryCount, 5);
  configs.diagnosticLogging = configInt(record, kCfgDiagnosticLogging, 0) > 0;
  configs.connectToHostGroup = configInt(record, kCfgConnectToHostGroup, 0) > 0;
  configs.useHostIfHostGroupNotAvailable = configInt(record, kCfgUseHostIfNoHostGroup, 0) > 0;
  configs.replicationTargetAddress = configString(record, kConfigContext, kCfgReplicationTarget);
  configs.remoteSnapProxy = configString(record, kConfigContext, kCfgRemoteSnapProxy);
  configs.disablePodProcessing = configInt(record, kCfgDisablePodProcessing, 0) > 0;
}

bool GetRegInt(const char* subSection, const char* name, int& value) {
  const char* ctx = "PureStorUtils::GetRegInt";
  std::string section = "~Ferrowin";
  if (subSection != nullptr) section += std::string("/") + subSection;
  if (name == nullptr) return false;
  int found = 0;
  if (!KXPlatformInfo::getRegInt(section.c_str(), name, &found)) {
    g_HostLog.DebugLvl(ctx, 4, "Registry key not found [%s/%s]", section.c_str(), name);
    return false;
  }
  value = found;
  g_HostLog.DebugLvl(ctx, 2, "Registry key found [%s/%s] = [%d]", section.c_str(), name, value);
  return true;
}

int getMountSnapId(KXSO::SnapInfo* record) { return record == nullptr ? 0 : record->getMountId(); }

bool getDefaultProtectionGroupName(KXSO::SnapInfo* record, std::string& name) {
  const char* ctx = "PureStorUtils::getDefaultProtectionGroupName";
  name.clear();
  if (record == nullptr) return false;
  int deployment = 0, subclient = 0;
  if (record->getValue(KXSO::GET_VALUE_VANTOR_NUMBER, &deployment) != 0) {
    record->logWithContext(2, ctx, "Failed to get the Vantor Number.");
    return false;
  }
  if (record->getValue(KXSO::GET_VALUE_SUBCLINET_ID, &subclient) != 0) {
    record->logWithContext(2, ctx, "Failed to get the Subclient Id.");
    return false;
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned int>(deployment));
  name = CZuString::Format("KX-{1}-{2}", hex, subclient);
  return !name.empty();
}

int getRemoteSnapPX(KXSO::SnapInfo* record, std::string& name) {
  if (record == nullptr) return 1;
  std::string text = configString(record, "PureStorUtils::getRemoteSnapPX", kCfgRemoteSnapProxy);
  if (!text.empty()) name = text;
  return 1;
}
