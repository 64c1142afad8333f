// FlashBlade REST 1.5 resources: file systems, network interfaces and
// file-system snapshots (create by source, find, destroy, eradicate).
#include <algorithm>
#include <mutex>

#include "handlers.h"

namespace arraysim {

using nlohmann::json;

namespace {

constexpr int64_t kEradicationDelayMs = 86400000;
const char kFsMissing[] = "File system does not exist.";
const char kSnapMissing[] = "Snapshot does not exist.";
const char kSnapDestroyed[] = "Snapshot has been destroyed.";

json page(json items) {
  size_t n = items.size();
  return {{"pagination_info", {{"continuation_token", nullptr}, {"total_item_count", n}}},
          {"items", std::move(items)}};
}

json fsJson(const FileSystem& f) {
  return {{"name", f.name},
          {"created", f.created_ms},
          {"provisioned", f.provisioned},
          {"hard_limit_enabled", false},
          {"fast_remove_directory_enabled", false},
          {"snapshot_directory_enabled", true},
          {"nfs", {{"enabled", f.nfs}, {"rules", "*(rw,no_root_squash)"}}},
          {"http", {{"enabled", false}}},
          {"smb", {{"enabled", false}, {"acl_mode", nullptr}}},
          {"destroyed", f.destroyed},
          {"time_remaining", nullptr}};
}

json snapJson(const ArrayState& st, const FsSnap& s) {
  auto fs = st.file_systems.find(s.source);
  bool source_destroyed = fs == st.file_systems.end() || fs->second.destroyed;
  json remaining = nullptr;
  if (s.destroyed) {
    remaining = std::max<int64_t>(0, kEradicationDelayMs - (nowMillis() - s.destroyed_at_ms));
  }
  return {{"name", s.name},         {"suffix", s.suffix},
          {"source", s.source},     {"created", s.created_ms},
          {"destroyed", s.destroyed}, {"source_destroyed", source_destroyed},
          {"time_remaining", remaining}, {"policy", nullptr}};
}

bool filterFrom(const Params& p, std::vector<FilterTerm>* terms) {
  if (!p.has("filter")) return true;
  auto f = parseFilter(p.str("filter"));
  if (!f) return false;
  *terms = *f;
  return true;
}

Reply listSnaps(const ArrayState& st, const Params& p) {
  std::vector<FilterTerm> terms;
  if (!filterFrom(p, &terms)) return fbError("Invalid filter.", p.str("filter"));
  std::vector<std::string> wanted = p.list("names_or_sources");
  for (const auto& n : p.list("names")) wanted.push_back(n);
  for (const auto& n : p.list("sources")) wanted.push_back(n);
  json items = json::array();
  auto add = [&](const FsSnap& s) {
    json j = snapJson(st, s);
    if (matchesFilter(j, terms)) items.push_back(std::move(j));
  };
  if (wanted.empty()) {
    for (const auto& [n, s] : st.fs_snaps) add(s);
    return jsonReply(page(items));
  }
  for (const auto& w : wanted) {
    bool hit = st.file_systems.count(w) != 0;
    for (const auto& [n, s] : st.fs_snaps) {
      if (n == w || s.source == w) {
        add(s);
        hit = true;
      }
    }
    if (!hit) return fbError(w.find('.') != std::string::npos ? kSnapMissing : kFsMissing, w);
  }
  return jsonReply(page(items));
}

Reply createSnaps(ArrayState& st, const Params& p) {
  std::vector<std::string> sources = p.list("sources");
  if (sources.empty()) return fbError("Missing sources.", "sources");
  std::string suffix = p.has("suffix") ? p.str("suffix") : std::to_string(++st.auto_suffix);
  if (suffix.empty() || suffix.find_first_of("./ ") != std::string::npos) {
    return fbError("Invalid suffix.", suffix);
  }
  for (const auto& src : sources) {
    auto fs = st.file_systems.find(src);
    if (fs == st.file_systems.end() || fs->second.destroyed) return fbError(kFsMissing, src);
    if (st.fs_snaps.count(src + "." + suffix)) {
      return fbError("Snapshot already exists.", src + "." + suffix);
    }
  }
  json items = json::array();
  for (const auto& src : sources) {
    FsSnap s;
    s.name = src + "." + suffix;
    s.source = src;
    s.suffix = suffix;
    s.created_ms = nowMillis();
    s.seq = ++st.seq;
    items.push_back(snapJson(st, st.fs_snaps[s.name] = s));
  }
  return jsonReply({{"items", items}});
}

Reply patchSnap(ArrayState& st, const Params& p) {
  std::string name = p.str("name");
  auto it = st.fs_snaps.find(name);
  if (it == st.fs_snaps.end()) return fbError(kSnapMissing, name);
  if (!p.has("destroyed")) return fbError("Nothing to change.", name);
  bool destroy = p.flag("destroyed");
  if (destroy && it->second.destroyed) return fbError(kSnapDestroyed, name);
  if (destroy && !it->second.destroyed) it->second.destroyed_at_ms = nowMillis();
  it->second.destroyed = destroy;
  return jsonReply({{"items", json::array({snapJson(st, it->second)})}});
}

Reply eradicateSnap(ArrayState& st, const Params& p) {
  std::string name = p.str("name");
  auto it = st.fs_snaps.find(name);
  if (it == st.fs_snaps.end()) return fbError(kSnapMissing, name);
  if (!it->second.destroyed) {
    return fbError("Snapshot must be destroyed before it can be eradicated.", name);
  }
  if (st.cfg.safemode) {
    return fbError(kEradicationDisabled, name);
  }
  st.fs_snaps.erase(it);
  return jsonReply(json::object());
}

}  // namespace

Reply fbFileSystems(Call& c) {
  if (c.method != "GET" || c.seg.size() != 1) return fbError("Invalid request.", "file-systems");
  std::vector<FilterTerm> terms;
  if (!filterFrom(c.params, &terms)) return fbError("Invalid filter.", c.params.str("filter"));
  std::lock_guard<std::mutex> lk(c.arr.mu);
  const ArrayState& st = c.arr.state;
  json items = json::array();
  auto add = [&](const FileSystem& f) {
    json j = fsJson(f);
    if (matchesFilter(j, terms)) items.push_back(std::move(j));
  };
  std::vector<std::string> names = c.params.list("names");
  if (names.empty()) {
    for (const auto& [n, f] : st.file_systems) add(f);
  }
  for (const auto& n : names) {
    auto it = st.file_systems.find(n);
    if (it == st.file_systems.end()) return fbError(kFsMissing, n);
    add(it->second);
  }
  return jsonReply(page(items));
}

Reply fbNetworkInterfaces(Call& c) {
  if (c.method != "GET" || c.seg.size() != 1) {
    return fbError("Invalid request.", "network-interfaces");
  }
  std::lock_guard<std::mutex> lk(c.arr.mu);
  std::vector<std::string> names = c.params.list("names");
  json items = json::array();
  for (const auto& n : c.arr.state.netifs) {
    if (!names.empty() && std::find(names.begin(), names.end(), n.name) == names.end()) continue;
    items.push_back({{"name", n.name},
                     {"address", n.address},
                     {"enabled", true},
                     {"gateway", nullptr},
                     {"netmask", "255.255.255.0"},
                     {"mtu", 1500},
                     {"vlan", 0},
                     {"services", n.services},
                     {"subnet", nullptr},
                     {"type", "vip"}});
  }
  return jsonReply(page(items));
}

Reply fbFsSnapshots(Call& c) {
  if (c.seg.size() != 1) return fbError("Invalid request.", "file-system-snapshots");
  std::lock_guard<std::mutex> lk(c.arr.mu);
  ArrayState& st = c.arr.state;
  if (c.method == "GET") return listSnaps(st, c.params);
  if (c.method == "POST") return createSnaps(st, c.params);
  if (c.method == "PATCH") return patchSnap(st, c.params);
  if (c.method == "DELETE") return eradicateSnap(st, c.params);
  return fbError("Invalid request.", "file-system-snapshots");
}

}  // namespace arraysim
