// Code tables shared with the host. The numbers belong to the host and are
// fixed; the names are ours.
#ifndef KXSO_CODES_H
#define KXSO_CODES_H

#include <cstdint>

namespace KXSO {

// Record status values (setStatus / getStatus).
enum SnapStatus : int {
  STATUS_METADATA_UNREADABLE = -1,
  DEVICE_PREPARED = 1,
  PREPARE_FAILED = 2,
  SNAP_CREATED = 5,
  SNAP_FAILED = 6,
  SNAP_MAPPED_ON_ARRAY = 9,
  MAP_FAILED = 11,
  DEVICE_FOUND = 12,
  UNMAPPED = 14,
  DEVICE_ERROR = 15,
  SNAP_DELETED = 20,
  DELETE_FAILED = 21,
  VOLUME_REVERTED = 22,
  REVERT_FAILED = 23,
  SNAP_EXTERNALLY_DELETED = 24,
};

// Error codes (setError).
enum ErrorCode : int {
  ERR_SNAP = 60001,                 // 0xEA61 creation and post-snap
  ERR_MOUNT = 60002,                // 0xEA62
  ERR_UNMOUNT = 60003,              // 0xEA63
  ERR_DELETE = 60004,               // 0xEA64
  ERR_REVERT = 60005,               // 0xEA65
  ERR_SOURCE_DEVICE_NAME = 62001,   // 0xF231 "Unable to get source device name."
  ERR_HOST_IDENTIFIER = 62002,      // 0xF232
  ERR_HBA_DETECTION = 62003,        // 0xF233
  ERR_IDENTIFICATION = 62008,       // 0xF238 devices, arrays, pods, replication
  ERR_MAP_PREPARATION = 62009,      // 0xF239 client name, device lists, clones, hosts
  ERR_UNMAP_REQUEST = 62010,        // 0xF23A
  ERR_IDENTIFY_MOUNTED = 62013,     // 0xF23D
};

// Metadata types (the short type of the metadata operations).
enum MetadataType : short {
  SM_MDT_SNAP_UUID = 6,
  SM_MDT_ARRAY_ALIASES = 32,        // 0x20
  SM_MDT_REMOTE_EXEC_MSG = 60,      // 0x3C return code of a remote operation
  SM_MDT_REMOTE_MSG_ID = 61,        // 0x3D remote request message id
  SM_MDT_GROUP_SNAP_UUID = 82,      // 0x52 consistency-group replication copy
  SM_MDT_REMOTE_JSON = 91,          // 0x5B remote request and response
  SM_MDT_CLONE_VOLUME = 127,        // 0x7F clone volume of a mount
  SM_MDT_RDM_DEVICE = 133,          // 0x85 raw-device-mapping mount device
};

// Value ids (getValue).
enum ValueId : int {
  GET_VALUE_UNKNOWN_VALUE = 0,
  GET_VALUE_SUBCLINET_ID = 1,
  GET_VALUE_SOURCE_CLIENT_ID = 2,
  GET_VALUE_PROXY_CLIENT_ID = 3,
  GET_VALUE_MOUNT_HOST_ID = 4,
  GET_VALUE_MOUNT_HOST_NAME = 5,
  GET_VALUE_SNAP_CREATION_TIME = 6,
  GET_VALUE_VOLSNAP_OP_SOURCE = 7,
  GET_VALUE_VOL_MOUNT_PATH_FLAG = 8,
  GET_VALUE_VOL_MOUNT_PATH = 9,
  GET_VALUE_VOL_SOURCE_PATH = 10,
  GET_VALUE_VOL_VANTR_ID = 11,
  GET_VALUE_CURRENT_JOB_ID = 12,
  GET_VALUE_VOL_SNAP_JOB_ID = 13,
  GET_VALUE_VOLUME_FLAGS = 14,
  GET_VALUE_APP_TYPE_ID = 15,
  GET_VALUE_COPY_ID = 16,
  GET_VALUE_VOL_CREATE_TIME = 17,
  GET_VALUE_VANTOR_NUMBER = 18,
  GET_VALUE_VOL_SOURCE_DEVICE = 19,
  GET_VALUE_VOL_SOURCE_GUID = 20,
  GET_VALUE_VSA_SERVER_CRED = 21,
  GET_VALUE_HYPERVISOR_TYPE = 22,
  GET_VALUE_MOUNT_JOB_ID = 23,
  GET_SNAP_ACTION_FLAGS = 24,
  GET_SNAP_COPY_TYPE = 25,
  GET_ARRAY_REPL_GROUP_INFO_JSN = 26,
  GET_ARRAY_REPL_PAIR_INFO_JSN = 27,
  GET_SCSI_SERVER_MNT_HOST_ID = 28,
  GET_VALUE_VOL_ARCHFILE_ID = 29,
  GET_VALUE_REP_SNAP_META_DATA = 30,
  GET_IS_SOURCE_COPY_PRIMARY_SNAP = 31,
  GET_SOURCE_COPY_TYPE = 32,
  GET_VALUE_OP_SOURCE = 33,
};

// Job option bits (getJobFlags / hasJobFlag).
constexpr uint64_t JOB_FLAG_KEEP_CLONE_ON_UNMAP = 0x1000ULL;
constexpr uint64_t JOB_FLAG_CLONE_NAME_BY_MOUNT_ID = 0x8000ULL;
constexpr uint64_t JOB_FLAG_DEVICES_BY_WWN = 0x20000000ULL;

// Device flag bits (setDeviceFlags / getDeviceFlags / clearDeviceFlags).
constexpr uint64_t DEV_FLAG_REPLICATION_COPY = 0x1000000ULL;
constexpr uint64_t DEV_FLAG_SECONDARY_ARRAY_BOUND = 0x8000000ULL;
constexpr uint64_t DEV_FLAG_POD_GROUPED = 0x400000000ULL;
constexpr uint64_t DEV_FLAG_POD_PRIMARY = 0x800000000ULL;

// Remote operation ids, carried in metadata type 61.
enum RemoteOpId : int {
  REMOTE_OP_RECON = 1,
  REMOTE_OP_PREPARE_REMOTE = 2,
  REMOTE_OP_SNAP = 3,
  REMOTE_OP_POST_SNAP = 4,
  REMOTE_OP_DELETE = 5,
  REMOTE_OP_REVERT = 6,
  REMOTE_OP_MATCH_ARRAY = 7,
  REMOTE_OP_MAP = 8,
  REMOTE_OP_UNMAP = 9,
  REMOTE_OP_CONNECT_ARRAY_PREPARE_PHASE = 10,
  REMOTE_OP_PROCESS_POD = 11,
  REMOTE_OP_NFS_MAP = 12,
};

// Host buffer conventions.
constexpr int HOST_BUFFER_SIZE = 4096;
constexpr int HOST_BUFFER_LEN = 4095;
constexpr int REMOTE_BUFFER_LEN = 65535;
constexpr int ERROR_BUFFER_SIZE = 2048;
constexpr int ERROR_BUFFER_LIMIT = 2047;

}  // namespace KXSO

#endif  // KXSO_CODES_H
