// FlashArray volumes and volume snapshots: listing with filters, snapshots by
// suffix, copies from snapshots, rename, destroy, recover and eradicate.
#include <mutex>

#include "fa_objects.h"
#include "handlers.h"

namespace arraysim {

using nlohmann::json;

namespace {

bool parseFilterParam(const Params& p, std::vector<FilterTerm>* terms) {
  if (!p.has("filter")) return true;
  auto f = parseFilter(p.str("filter"));
  if (!f) return false;
  *terms = *f;
  return true;
}

// Which destroyed objects a listing shows: none, all, or only those.
struct Pending {
  bool with = false;
  bool only = false;
  bool shows(bool destroyed) const { return only ? destroyed : (with || !destroyed); }
};

Pending pendingOf(const Params& p) {
  Pending pd;
  pd.only = p.flag("pending_only");
  pd.with = pd.only || p.flag("pending");
  return pd;
}

Reply listSnapshots(ArrayState& st, const Params& p, const std::vector<FilterTerm>& terms) {
  Pending pd = pendingOf(p);
  json out = json::array();
  auto add = [&](const Snapshot& s) {
    if (!pd.shows(s.destroyed)) return;
    json v = snapJson(s, pd.with);
    if (matchesFilter(v, terms)) out.push_back(std::move(v));
  };
  std::vector<std::string> names = p.list("names");
  if (names.empty()) {
    for (const auto& [n, s] : st.snaps) add(s);
    return jsonReply(out);
  }
  for (const auto& name : names) {
    auto sn = st.snaps.find(name);
    auto own = snapsOf(st, name);
    if (sn != st.snaps.end()) {
      add(sn->second);
    } else if (st.volumes.count(name) || !own.empty()) {
      for (const Snapshot* s : own) add(*s);
    } else {
      return faError(kNoSuchVolOrSnap, name);
    }
  }
  return jsonReply(out);
}

Reply listVolumes(ArrayState& st, const Params& p) {
  std::vector<FilterTerm> terms;
  if (!parseFilterParam(p, &terms)) return faError("Invalid filter.", p.str("filter"));
  if (p.flag("snap")) return listSnapshots(st, p, terms);
  Pending pd = pendingOf(p);
  json out = json::array();
  auto add = [&](const Volume& v) {
    if (!pd.shows(v.destroyed)) return;
    json j = volumeJson(v, pd.with);
    if (matchesFilter(j, terms)) out.push_back(std::move(j));
  };
  std::vector<std::string> names = p.list("names");
  if (names.empty()) {
    for (const auto& [n, v] : st.volumes) add(v);
  } else {
    for (const auto& name : names) {
      auto it = st.volumes.find(name);
      if (it == st.volumes.end()) return faError(kVolumeMissing, name);
      add(it->second);
    }
  }
  return jsonReply(out);
}

Reply getOne(ArrayState& st, const std::string& name, const Params& p) {
  Pending pd = pendingOf(p);
  auto vol = st.volumes.find(name);
  auto snap = st.snaps.find(name);
  if (p.flag("snap")) {
    if (snap != st.snaps.end()) {
      if (snap->second.destroyed && !pd.with) return faError(kSnapDestroyed, name);
      return jsonReply(json::array({snapJson(snap->second, pd.with)}));
    }
    auto own = snapsOf(st, name);
    if (vol == st.volumes.end() && own.empty()) return faError(kNoSuchVolOrSnap, name);
    json out = json::array();
    for (const Snapshot* s : own) {
      if (pd.shows(s->destroyed)) out.push_back(snapJson(*s, pd.with));
    }
    return jsonReply(out);
  }
  if (vol == st.volumes.end()) return faError(kVolumeMissing, name);
  if (vol->second.destroyed && !pd.with) return faError(kVolumeDestroyed, name);
  return jsonReply(volumeJson(vol->second, pd.with));
}

Reply connectionsOf(ArrayState& st, const std::string& name, bool groups) {
  auto vol = st.volumes.find(name);
  if (vol == st.volumes.end()) return faError(kVolumeMissing, name);
  json out = json::array();
  if (!groups) {
    for (const auto& [hn, h] : st.hosts) {
      auto c = h.volumes.find(name);
      if (c == h.volumes.end()) continue;
      out.push_back({{"host", hn}, {"name", name}, {"lun", c->second}, {"size", vol->second.size}});
    }
    return jsonReply(out);
  }
  for (const auto& [gn, g] : st.hgroups) {
    auto c = g.volumes.find(name);
    if (c == g.volumes.end()) continue;
    bool any = false;
    for (const auto& [hn, h] : st.hosts) {
      if (h.hgroup != gn) continue;
      any = true;
      out.push_back({{"hgroup", gn}, {"host", hn}, {"name", name}, {"lun", c->second},
                     {"size", vol->second.size}});
    }
    if (!any) {
      out.push_back({{"hgroup", gn}, {"host", nullptr}, {"name", name}, {"lun", c->second},
                     {"size", vol->second.size}});
    }
  }
  return jsonReply(out);
}

// POST volume {"snap": true, "source": [...], "suffix": S}: all or nothing.
Reply createSnapshots(ArrayState& st, const Params& p) {
  std::vector<std::string> sources = p.list("source");
  if (sources.empty()) return faError("Missing source.", "source");
  std::string suffix;
  if (!snapSuffix(st, p, &suffix)) return faError("Invalid suffix.", suffix);
  for (const auto& src : sources) {
    auto v = st.volumes.find(src);
    if (v == st.volumes.end()) return faError(kVolumeMissing, src);
    if (v->second.destroyed) return faError(kVolumeDestroyed, src);
    if (st.snaps.count(src + "." + suffix)) {
      return faError("Snapshot already exists.", src + "." + suffix);
    }
  }
  json out = json::array();
  for (const auto& src : sources) {
    const Snapshot& s = addSnapshot(st, src + "." + suffix, st.volumes[src], suffix, "");
    out.push_back(snapJson(s, false));
  }
  return jsonReply(out);
}

// POST volume/NAME: a new volume of a size, or a copy of a volume or
// snapshot, with "overwrite" refreshing an existing one.
Reply createVolume(ArrayState& st, const std::string& name, const Params& p) {
  if (!validObjectName(name) || name.find('.') != std::string::npos) {
    return faError("Invalid volume name.", name);
  }
  auto existing = st.volumes.find(name);
  if (!p.has("source")) {
    auto size = p.integer("size");
    if (!size || *size <= 0) return faError("Missing size.", name);
    if (existing != st.volumes.end()) return faError("Volume already exists.", name);
    Volume v{name, st.serials.next(), "", *size, nowSeconds()};
    return jsonReply(volumeJson(st.volumes[name] = v, false));
  }
  std::string src = p.str("source");
  std::string origin;
  int64_t size = 0;
  if (auto s = st.snaps.find(src); s != st.snaps.end()) {
    if (s->second.destroyed) return faError(kSnapDestroyed, src);
    origin = s->second.source;
    size = s->second.size;
  } else if (auto v = st.volumes.find(src); v != st.volumes.end()) {
    if (v->second.destroyed) return faError(kVolumeDestroyed, src);
    origin = src;
    size = v->second.size;
  } else {
    return faError(kNoSuchVolOrSnap, src);
  }
  if (existing != st.volumes.end()) {
    if (!p.flag("overwrite")) return faError("Volume already exists.", name);
    if (existing->second.destroyed) return faError(kVolumeDestroyed, name);
    existing->second.source = origin;
    existing->second.size = size;
    return jsonReply(volumeJson(existing->second, false));
  }
  Volume v{name, st.serials.next(), origin, size, nowSeconds()};
  return jsonReply(volumeJson(st.volumes[name] = v, false));
}

Reply recover(ArrayState& st, const std::string& name) {
  if (auto s = st.snaps.find(name); s != st.snaps.end()) {
    if (!s->second.destroyed) return faError("Volume snapshot is not destroyed.", name);
    s->second.destroyed = false;
    return jsonReply({{"name", name}});
  }
  auto v = st.volumes.find(name);
  if (v == st.volumes.end()) return faError(kVolumeMissing, name);
  if (!v->second.destroyed) return faError("Volume is not destroyed.", name);
  v->second.destroyed = false;
  for (auto& [n, s] : st.snaps) {
    if (s.source == name && s.destroyed_with_volume) s.destroyed = s.destroyed_with_volume = false;
  }
  return jsonReply({{"name", name}});
}

Reply renameSnapshot(ArrayState& st, const std::string& name, const std::string& to) {
  Snapshot s = st.snaps[name];
  if (to.rfind(s.source + ".", 0) != 0) return faError("Invalid snapshot name.", to);
  eraseSnapshot(st, name);
  s.name = to;
  s.suffix = to.substr(s.source.size() + 1);
  s.pgsnap.clear();
  st.snaps[to] = s;
  return jsonReply({{"name", to}});
}

// A volume's snapshots follow it: NEW.suffix.
Reply renameVolume(ArrayState& st, const std::string& name, const std::string& to) {
  Volume v = st.volumes[name];
  st.volumes.erase(name);
  v.name = to;
  st.volumes[to] = v;
  for (const Snapshot* sp : snapsOf(st, name)) {
    Snapshot s = *sp;
    if (!s.pgsnap.empty()) {
      st.snaps[s.name].source = to;
      continue;
    }
    st.snaps.erase(s.name);
    s.source = to;
    s.name = to + "." + s.suffix;
    st.snaps[s.name] = s;
  }
  for (auto& [n, h] : st.hosts) {
    if (auto c = h.volumes.find(name); c != h.volumes.end()) {
      h.volumes[to] = c->second;
      h.volumes.erase(c);
    }
  }
  for (auto& [n, g] : st.hgroups) {
    if (auto c = g.volumes.find(name); c != g.volumes.end()) {
      g.volumes[to] = c->second;
      g.volumes.erase(c);
    }
  }
  for (auto& [n, g] : st.pgroups) {
    for (auto& m : g.volumes) {
      if (m == name) m = to;
    }
  }
  return jsonReply({{"name", to}});
}

Reply update(ArrayState& st, const std::string& name, const Params& p) {
  if (p.str("action") == "recover") return recover(st, name);
  bool is_snap = st.snaps.count(name) != 0;
  auto v = st.volumes.find(name);
  if (!is_snap && v == st.volumes.end()) return faError(kVolumeMissing, name);
  if (p.has("name")) {
    std::string to = p.str("name");
    if (!validObjectName(to)) return faError("Invalid volume name.", to);
    if (st.volumes.count(to) || st.snaps.count(to)) return faError("Volume already exists.", to);
    if (is_snap) {
      if (st.snaps[name].destroyed) return faError(kSnapDestroyed, name);
      return renameSnapshot(st, name, to);
    }
    if (v->second.destroyed) return faError(kVolumeDestroyed, name);
    return renameVolume(st, name, to);
  }
  if (p.has("size") && !is_snap) {
    auto size = p.integer("size");
    if (!size || *size < v->second.size) return faError("Invalid size.", name);
    v->second.size = *size;
    return jsonReply(volumeJson(v->second, false));
  }
  return faError("Invalid request.", name);
}

Reply destroyOrEradicate(ArrayState& st, const std::string& name, const Params& p) {
  bool eradicate = p.flag("eradicate");
  if (auto s = st.snaps.find(name); s != st.snaps.end()) {
    if (!eradicate) {
      if (s->second.destroyed) return faError(kSnapDestroyed, name);
      s->second.destroyed = true;
      s->second.destroyed_at = nowSeconds();
      return jsonReply({{"name", name}});
    }
    if (!s->second.destroyed) {
      return faError("Volume snapshot must be destroyed before it can be eradicated.", name);
    }
    if (st.cfg.safemode) return faError(kEradicationDisabled, name);
    eraseSnapshot(st, name);
    return jsonReply({{"name", name}});
  }
  auto v = st.volumes.find(name);
  if (v == st.volumes.end()) {
    return faError(name.find('.') != std::string::npos ? kNoSuchVolOrSnap : kVolumeMissing, name);
  }
  if (!eradicate) {
    if (v->second.destroyed) return faError(kVolumeDestroyed, name);
    v->second.destroyed = true;
    v->second.destroyed_at = nowSeconds();
    dropConnections(st, name);
    for (auto& [n, s] : st.snaps) {
      if (s.source == name && !s.destroyed) {
        s.destroyed = s.destroyed_with_volume = true;
        s.destroyed_at = v->second.destroyed_at;
      }
    }
    return jsonReply({{"name", name}});
  }
  if (!v->second.destroyed) return faError("Volume must be destroyed before it can be eradicated.", name);
  if (st.cfg.safemode) return faError(kEradicationDisabled, name);
  for (const Snapshot* s : snapsOf(st, name)) {
    if (s->pgsnap.empty()) eraseSnapshot(st, s->name);
  }
  forgetVolume(st, name);
  st.volumes.erase(v);
  return jsonReply({{"name", name}});
}

}  // namespace

Reply faVolume(Call& c) {
  std::lock_guard<std::mutex> lk(c.arr.mu);
  ArrayState& st = c.arr.state;
  const auto& s = c.seg;
  if (s.size() == 1) {
    if (c.method == "GET") return listVolumes(st, c.params);
    if (c.method == "POST" && c.params.flag("snap")) return createSnapshots(st, c.params);
    return faError("Invalid request.", "volume");
  }
  const std::string& name = s[1];
  if (s.size() == 3 && c.method == "GET" && (s[2] == "host" || s[2] == "hgroup")) {
    return connectionsOf(st, name, s[2] == "hgroup");
  }
  if (s.size() != 2) return faError("Invalid request.", name);
  if (c.method == "GET") return getOne(st, name, c.params);
  if (c.method == "POST") return createVolume(st, name, c.params);
  if (c.method == "PUT") return update(st, name, c.params);
  if (c.method == "DELETE") return destroyOrEradicate(st, name, c.params);
  return faError("Invalid request.", name);
}

}  // namespace arraysim
