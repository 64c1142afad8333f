// The state of one simulated array: its configuration and every object the
// REST interface can see or change. Plain data; the owner (SimArray) guards
// it with its mutex.
#ifndef ARRAYSIM_MODEL_H_
#define ARRAYSIM_MODEL_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace arraysim {

enum class Kind { kFlashArray, kFlashBlade };

const char* kindName(Kind kind);

struct User {
  std::string name;
  std::string api_token;
};

struct ArrayConfig {
  std::string name;  // display name (GET array "array_name")
  Kind kind = Kind::kFlashArray;
  int port = 0;
  std::string id;  // array serial ("id" of GET array)
  std::string version;
  std::vector<std::string> api_versions;
  std::vector<User> users;
  bool safemode = false;  // eradication refused
  std::vector<std::string> replication_targets;
};

// Volumes and snapshots share the name space of "volume/NAME".
struct Volume {
  std::string name;
  std::string serial;
  std::string source;  // originating volume of a copy; empty for a fresh one
  int64_t size = 0;
  int64_t created = 0;  // seconds since the epoch
  bool destroyed = false;
  int64_t destroyed_at = 0;
};

struct Snapshot {
  std::string name;  // source + "." + suffix, or group snapshot + "." + volume
  std::string serial;
  std::string source;  // the volume it was taken of
  std::string suffix;
  std::string pgsnap;  // owning protection-group snapshot, if any
  int64_t size = 0;
  int64_t created = 0;
  uint64_t seq = 0;  // creation order
  bool destroyed = false;
  bool destroyed_with_volume = false;
  int64_t destroyed_at = 0;
};

struct Host {
  std::string name;
  std::vector<std::string> wwns;  // 16 upper-case hex digits, no colons
  std::vector<std::string> iqns;
  std::string hgroup;
  std::map<std::string, int> volumes;  // private connections: volume -> LUN
};

struct HostGroup {
  std::string name;
  std::map<std::string, int> volumes;  // shared connections: volume -> LUN
};

struct PgTarget {
  std::string name;
  bool allowed = false;
};

struct PGroup {
  std::string name;
  std::string source;  // owning array's display name
  std::vector<std::string> volumes;
  std::vector<std::string> hosts;
  std::vector<std::string> hgroups;
  std::vector<PgTarget> targets;
  bool destroyed = false;
};

struct PgSnap {
  std::string name;  // group + "." + suffix
  std::string group;
  std::string suffix;
  int64_t created = 0;
  uint64_t seq = 0;
  bool destroyed = false;
  int64_t destroyed_at = 0;
  std::vector<std::string> members;  // per-volume snapshot names
};

struct Port {
  std::string name;
  std::string wwn;  // 16 upper-case hex digits, or empty
  std::string iqn;  // or empty
  std::string portal;
};

struct Pod {
  std::string name;
  std::vector<std::string> arrays;  // member array display names
};

struct FileSystem {
  std::string name;
  bool nfs = true;
  int64_t created_ms = 0;
  int64_t provisioned = 0;
  bool destroyed = false;
};

struct FsSnap {
  std::string name;  // source + "." + suffix
  std::string source;
  std::string suffix;
  int64_t created_ms = 0;
  uint64_t seq = 0;
  bool destroyed = false;
  int64_t destroyed_at_ms = 0;
};

struct NetIf {
  std::string name;
  std::string address;
  std::vector<std::string> services;
};

// Serials: 16 hex digits derived from the array id, then an 8-digit counter;
// upper case, 24 characters, never handed out twice on one array.
class SerialGen {
 public:
  void setPrefix(const std::string& array_id);
  std::string next();
  void reserve(const std::string& serial);  // taken from the scenario
  bool taken(const std::string& serial) const;

 private:
  std::string prefix_ = "0000000000000000";
  uint32_t counter_ = 0;
  std::set<std::string> used_;
};

struct ArrayState {
  ArrayConfig cfg;
  // FlashArray
  std::map<std::string, Volume> volumes;
  std::map<std::string, Snapshot> snaps;
  std::map<std::string, Host> hosts;
  std::map<std::string, HostGroup> hgroups;
  std::map<std::string, PGroup> pgroups;
  std::map<std::string, PgSnap> pgsnaps;
  std::vector<Port> ports;
  std::map<std::string, Pod> pods;
  // FlashBlade
  std::map<std::string, FileSystem> file_systems;
  std::map<std::string, FsSnap> fs_snaps;
  std::vector<NetIf> netifs;

  SerialGen serials;
  uint64_t seq = 0;
  uint64_t auto_suffix = 0;

  // Everything but the tokens, for the admin view.
  nlohmann::json toJson() const;
};

// Seconds and milliseconds since the epoch, and the REST 1.x time text.
int64_t nowSeconds();
int64_t nowMillis();
std::string isoTime(int64_t seconds);

// Upper-cased hex digits of a Fibre Channel name without separators.
std::string normalizeWwn(const std::string& wwn);
// Initiator comparison form: lower case, no colons.
std::string initiatorKey(const std::string& name);

}  // namespace arraysim

#endif  // ARRAYSIM_MODEL_H_
