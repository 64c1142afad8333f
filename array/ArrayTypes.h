// The array kind and the small records that array clients and drivers
// exchange.
#ifndef PURESTOR_ARRAYTYPES_H
#define PURESTOR_ARRAYTYPES_H

#include <cstdint>
#include <string>
#include <vector>

enum PureArrayType : int32_t {
  FLASHARRAY = 0,
  FLASHBLADE = 1,
};

// Per-array configuration options; filled by readArrayConfigOptions. The
// constructor leaves the numbers and flags unset.
struct PureStorArrayConfigs {
  int mountRetryInterval;            // SMCONFIG_NAME_MOUNT_RETRY_INTERVAL_IN_SEC, 30
  int mountRetryCount;               // SMCONFIG_NAME_MOUNT_RETRY_COUNT, 5
  bool connectToHostGroup;           // SMCONFIG_NAME_CONNECT_TO_HOSTGROUP
  bool diagnosticLogging;            // SMCONFIG_NAME_ENABLE_DIAGNOSTIC_LOGGING
  bool useHostIfHostGroupNotAvailable;  // SMCONFIG_NAME_USE_HOST_IF_HOST_GROUP_NOT_AVAILABLE
  std::string replicationTargetAddress;  // SMCONFIG_NAME_REPLICATION_TARGET_MANAGEMENT_IP
  std::string remoteSnapProxy;       // SMCONFIG_NAME_REMOTE_SNAP_PX
  bool disablePodProcessing;         // SMCONFIG_DISABLE_POD_VOLUME_PURESTOR_KEY
};

// One device's snapshot request and result.
struct PS_SnapInfo {
  PS_SnapInfo() { init(); }
  void init() {
    deviceName.clear();
    volName.clear();
    volSerial.clear();
    snapName.clear();
    snapSerial.clear();
    cloneVolName.clear();
    cloneVolSerial.clear();
    deviceIndex = 0;
  }

  std::string deviceName;
  std::string volName;
  std::string volSerial;
  std::string snapName;
  std::string snapSerial;
  std::string cloneVolName;
  std::string cloneVolSerial;
  int32_t deviceIndex;
};

class VolumeInfo {
 public:
  VolumeInfo() = default;
  VolumeInfo(const std::string& name, const std::string& serial) : name_(name), serial_(serial) {}
  std::string getName() const { return name_; }
  std::string getSerial() const { return serial_; }
  void setName(const std::string& name) { name_ = name; }
  void setSerial(const std::string& serial) { serial_ = serial; }

 private:
  std::string name_;
  std::string serial_;
};

// An array host, or a match of a local HBA against the array's hosts.
struct HostInfo {
  HostInfo() { init(); }
  void init() {
    iqns.clear();
    wwns.clear();
    hostName.clear();
    hostGroup.clear();
    matchedHBA.clear();
  }
  void reset() { init(); }
  // Sets of HostInfo hold one entry per local HBA.
  bool operator<(const HostInfo& other) const { return matchedHBA < other.matchedHBA; }

  std::vector<std::string> iqns;  // lower-cased
  std::vector<std::string> wwns;  // lower-cased
  std::string hostName;
  std::string hostGroup;          // empty when the host is in none
  std::string matchedHBA;
};

// One member array of a pod.
struct PodArrayInfo {
  PodArrayInfo() { init(); }
  void init() {
    status.clear();
    arrayId.clear();
    arrayName.clear();
    mediatorStatus.clear();
  }
  std::string status;
  std::string arrayId;
  std::string arrayName;
  std::string mediatorStatus;
};

// A replication target of a protection group.
struct PS_Targets {
  PS_Targets() { init(); }
  void init() {
    name.clear();
    allowed = false;
  }
  std::string name;
  bool allowed;
};

struct PS_ProtectionGroup {
  PS_ProtectionGroup() { init(); }
  void init() {
    name.clear();
    source.clear();
    volumes.clear();
    targets.clear();
  }
  std::string name;
  std::string source;  // the array that owns the group
  std::vector<std::string> volumes;
  std::vector<PS_Targets> targets;
};

#endif  // PURESTOR_ARRAYTYPES_H
