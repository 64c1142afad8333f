#include "model.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace arraysim {

using nlohmann::json;

const char* kindName(Kind kind) {
  return kind == Kind::kFlashArray ? "flasharray" : "flashblade";
}

void SerialGen::setPrefix(const std::string& array_id) {
  std::string hex;
  for (char c : array_id) {
    if (std::isxdigit(static_cast<unsigned char>(c))) {
      hex += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  // Ids with too few hex digits get a stable hash instead.
  if (hex.size() < 16) {
    uint64_t h = 1469598103934665603ull;
    for (char c : array_id) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llX", static_cast<unsigned long long>(h));
    hex = buf;
  }
  prefix_ = hex.substr(0, 16);
}

std::string SerialGen::next() {
  for (;;) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08X", ++counter_);
    std::string s = prefix_ + buf;
    if (used_.insert(s).second) return s;
  }
}

void SerialGen::reserve(const std::string& serial) { used_.insert(serial); }

bool SerialGen::taken(const std::string& serial) const { return used_.count(serial) != 0; }

int64_t nowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

int64_t nowMillis() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string isoTime(int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

std::string normalizeWwn(const std::string& wwn) {
  std::string out;
  for (char c : wwn) {
    if (c == ':' || c == '-') continue;
    out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string initiatorKey(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == ':') continue;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

json ArrayState::toJson() const {
  json j;
  j["name"] = cfg.name;
  j["kind"] = kindName(cfg.kind);
  j["id"] = cfg.id;
  j["version"] = cfg.version;
  j["api_versions"] = cfg.api_versions;
  j["safemode"] = cfg.safemode;
  json users = json::array();
  for (const auto& u : cfg.users) users.push_back(u.name);
  j["users"] = users;
  if (cfg.kind == Kind::kFlashArray) {
    j["replication_targets"] = cfg.replication_targets;
    json& v = j["volumes"] = json::array();
    for (const auto& [n, x] : volumes) {
      v.push_back({{"name", n}, {"serial", x.serial}, {"source", x.source}, {"size", x.size},
                   {"created", x.created}, {"destroyed", x.destroyed}});
    }
    json& s = j["snapshots"] = json::array();
    for (const auto& [n, x] : snaps) {
      s.push_back({{"name", n}, {"serial", x.serial}, {"source", x.source}, {"suffix", x.suffix},
                   {"pgsnap", x.pgsnap}, {"size", x.size}, {"created", x.created},
                   {"destroyed", x.destroyed}});
    }
    json& h = j["hosts"] = json::array();
    for (const auto& [n, x] : hosts) {
      h.push_back({{"name", n}, {"wwn", x.wwns}, {"iqn", x.iqns}, {"hgroup", x.hgroup},
                   {"volumes", x.volumes}});
    }
    json& g = j["hgroups"] = json::array();
    for (const auto& [n, x] : hgroups) g.push_back({{"name", n}, {"volumes", x.volumes}});
    json& p = j["pgroups"] = json::array();
    for (const auto& [n, x] : pgroups) {
      json t = json::array();
      for (const auto& tg : x.targets) t.push_back({{"name", tg.name}, {"allowed", tg.allowed}});
      p.push_back({{"name", n}, {"source", x.source}, {"volumes", x.volumes}, {"targets", t},
                   {"destroyed", x.destroyed}});
    }
    json& ps = j["pgroup_snapshots"] = json::array();
    for (const auto& [n, x] : pgsnaps) {
      ps.push_back({{"name", n}, {"group", x.group}, {"suffix", x.suffix},
                    {"members", x.members}, {"destroyed", x.destroyed}});
    }
    json& po = j["ports"] = json::array();
    for (const auto& x : ports) {
      po.push_back({{"name", x.name}, {"wwn", x.wwn}, {"iqn", x.iqn}, {"portal", x.portal}});
    }
    json& pd = j["pods"] = json::array();
    for (const auto& [n, x] : pods) pd.push_back({{"name", n}, {"arrays", x.arrays}});
  } else {
    json& f = j["file_systems"] = json::array();
    for (const auto& [n, x] : file_systems) {
      f.push_back({{"name", n}, {"nfs", x.nfs}, {"destroyed", x.destroyed}});
    }
    json& s = j["file_system_snapshots"] = json::array();
    for (const auto& [n, x] : fs_snaps) {
      s.push_back({{"name", n}, {"source", x.source}, {"suffix", x.suffix},
                   {"destroyed", x.destroyed}});
    }
    json& ni = j["network_interfaces"] = json::array();
    for (const auto& x : netifs) {
      ni.push_back({{"name", x.name}, {"address", x.address}, {"services", x.services}});
    }
  }
  return j;
}

}  // namespace arraysim
