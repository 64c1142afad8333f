// FlashArray protection groups: create, allow on the target, volume lists,
// group snapshots with their per-volume snapshots, replication of a group
// snapshot to the target arrays of the same process.
#include <algorithm>
#include <functional>
#include <mutex>

#include "fa_objects.h"
#include "handlers.h"

namespace arraysim {

using nlohmann::json;

namespace {

const char kGroupMissing[] = "Protection group does not exist.";
const char kGroupDestroyed[] = "Protection group has been destroyed.";
const char kBadGroupName[] = "Invalid protection group name.";
const char kPgSnapMissing[] = "Protection group snapshot does not exist.";
const char kPgSnapDestroyed[] = "Protection group snapshot has been destroyed.";

json listOrNull(const std::vector<std::string>& v) {
  return v.empty() ? json(nullptr) : json(v);
}

json groupJson(const PGroup& g) {
  json targets = nullptr;
  if (!g.targets.empty()) {
    targets = json::array();
    for (const auto& t : g.targets) targets.push_back({{"name", t.name}, {"allowed", t.allowed}});
  }
  return {{"name", g.name},       {"source", g.source},           {"volumes", listOrNull(g.volumes)},
          {"hosts", listOrNull(g.hosts)}, {"hgroups", listOrNull(g.hgroups)}, {"targets", targets}};
}

json pgsnapJson(const PgSnap& s, bool pending) {
  json j = {{"name", s.name}, {"source", s.group}, {"created", isoTime(s.created)}};
  if (pending) {
    j["time_remaining"] = s.destroyed ? json(std::max<int64_t>(
                                            0, kEradicationDelay - (nowSeconds() - s.destroyed_at)))
                                      : json(nullptr);
  }
  return j;
}

// Per-volume snapshot name of a group snapshot; a pod group names its
// volumes without their pod prefix.
std::string memberName(const std::string& group, const std::string& suffix,
                       const std::string& volume) {
  std::string v = volume;
  size_t pod = group.find("::");
  if (pod != std::string::npos && v.rfind(group.substr(0, pod + 2), 0) == 0) {
    v = v.substr(pod + 2);
  }
  return group + "." + suffix + "." + v;
}

// What a change on this array means for another one, applied after this
// array's lock is released so that no two locks are ever held.
struct Remote {
  std::string array;
  std::function<void(ArrayState&)> apply;
};

void applyRemote(Fleet& fleet, const std::vector<Remote>& todo) {
  for (const auto& r : todo) {
    SimArray* other = fleet.find(r.array);
    if (!other || other->cfg().kind != Kind::kFlashArray) continue;
    std::lock_guard<std::mutex> lk(other->mu);
    r.apply(other->state);
  }
}

std::vector<std::string> replicaVolumes(const std::string& src, const PGroup& g) {
  std::vector<std::string> out;
  for (const auto& v : g.volumes) out.push_back(src + ":" + v);
  return out;
}

// The target's view of a group of `src`: "SRC:G", volumes "SRC:V".
Remote mirrorGroup(const std::string& src, const PGroup& g, const std::string& target) {
  PGroup copy;
  copy.name = src + ":" + g.name;
  copy.source = src;
  copy.volumes = replicaVolumes(src, g);
  bool allowed = false;
  for (const auto& t : g.targets) {
    if (t.name == target) allowed = t.allowed;
  }
  copy.targets = {PgTarget{target, allowed}};
  return {target, [copy](ArrayState& st) {
            auto it = st.pgroups.find(copy.name);
            if (it == st.pgroups.end()) {
              st.pgroups[copy.name] = copy;
            } else {
              it->second.volumes = copy.volumes;
            }
          }};
}

struct MemberCopy {
  std::string volume;
  int64_t size;
};

Remote replicateSnap(const std::string& src, const PgSnap& ps, const std::vector<MemberCopy>& m,
                     const PGroup& g, const std::string& target) {
  Remote mirror = mirrorGroup(src, g, target);
  return {target, [=](ArrayState& st) {
            mirror.apply(st);
            PgSnap copy;
            copy.group = src + ":" + ps.group;
            copy.suffix = ps.suffix;
            copy.name = copy.group + "." + ps.suffix;
            copy.created = nowSeconds();
            copy.seq = ++st.seq;
            if (st.pgsnaps.count(copy.name)) return;
            for (const auto& mc : m) {
              Volume origin;
              origin.name = src + ":" + mc.volume;
              origin.size = mc.size;
              std::string name = src + ":" + memberName(ps.group, ps.suffix, mc.volume);
              addSnapshot(st, name, origin, ps.suffix, copy.name);
              copy.members.push_back(name);
            }
            st.pgsnaps[copy.name] = copy;
          }};
}

Reply getGroupOrSnap(ArrayState& st, const std::string& name, const Params& p) {
  bool pending = p.flag("pending") || p.flag("pending_only");
  if (p.flag("snap")) {
    if (auto ps = st.pgsnaps.find(name); ps != st.pgsnaps.end()) {
      if (ps->second.destroyed && !pending) return faError(kPgSnapDestroyed, name);
      return jsonReply(json::array({pgsnapJson(ps->second, pending)}));
    }
    auto g = st.pgroups.find(name);
    if (g == st.pgroups.end()) {
      return faError(name.find('.') != std::string::npos ? kPgSnapMissing : kGroupMissing, name);
    }
    std::vector<const PgSnap*> list;
    for (const auto& [n, s] : st.pgsnaps) {
      if (s.group == name && (pending || !s.destroyed)) list.push_back(&s);
    }
    std::sort(list.begin(), list.end(), [](auto* a, auto* b) { return a->seq < b->seq; });
    json out = json::array();
    for (const PgSnap* s : list) out.push_back(pgsnapJson(*s, pending));
    return jsonReply(out);
  }
  if (!validObjectName(name) || name.find('.') != std::string::npos) {
    return faError(kBadGroupName, name);
  }
  auto g = st.pgroups.find(name);
  if (g == st.pgroups.end()) return faError(kGroupMissing, name);
  if (g->second.destroyed && !pending) return faError(kGroupDestroyed, name);
  return jsonReply(groupJson(g->second));
}

Reply listAll(ArrayState& st, const Params& p) {
  json out = json::array();
  if (p.flag("snap")) {
    for (const auto& [n, s] : st.pgsnaps) {
      if (!s.destroyed) out.push_back(pgsnapJson(s, false));
    }
  } else {
    for (const auto& [n, g] : st.pgroups) {
      if (!g.destroyed) out.push_back(groupJson(g));
    }
  }
  return jsonReply(out);
}

bool knownTarget(const ArrayState& st, const std::string& t) {
  const auto& r = st.cfg.replication_targets;
  return std::find(r.begin(), r.end(), t) != r.end();
}

Reply createGroup(ArrayState& st, const std::string& name, const Params& p,
                  std::vector<Remote>* todo) {
  if (!validObjectName(name) || name.find('.') != std::string::npos ||
      (name.find(':') != std::string::npos && name.find("::") == std::string::npos)) {
    return faError(kBadGroupName, name);
  }
  if (st.pgroups.count(name)) return faError("Protection group already exists.", name);
  PGroup g;
  g.name = name;
  g.source = st.cfg.name;
  for (const auto& v : p.list("vollist")) {
    auto it = st.volumes.find(v);
    if (it == st.volumes.end() || it->second.destroyed) return faError(kVolumeMissing, v);
    g.volumes.push_back(v);
  }
  for (const auto& h : p.list("hostlist")) {
    if (!st.hosts.count(h)) return faError("Host does not exist.", h);
    g.hosts.push_back(h);
  }
  for (const auto& h : p.list("hgrouplist")) {
    if (!st.hgroups.count(h)) return faError("Host group does not exist.", h);
    g.hgroups.push_back(h);
  }
  for (const auto& t : p.list("targetlist")) {
    if (!knownTarget(st, t)) return faError("Array " + t + " is not connected.", t);
    g.targets.push_back({t, false});
  }
  st.pgroups[name] = g;
  for (const auto& t : g.targets) todo->push_back(mirrorGroup(st.cfg.name, g, t.name));
  return jsonReply(groupJson(g));
}

// PUT pgroup/SRC:G {"allowed": B} on the target array; the source's record
// of the target follows.
Reply allow(ArrayState& st, PGroup& g, bool allowed, std::vector<Remote>* todo) {
  if (g.source == st.cfg.name || g.targets.empty()) {
    return faError("Protection group " + g.name + " is not a replica on this array.", g.name);
  }
  for (auto& t : g.targets) t.allowed = allowed;
  std::string local = g.name.substr(g.source.size() + 1);
  std::string me = st.cfg.name;
  todo->push_back({g.source, [local, me, allowed](ArrayState& src) {
                     auto it = src.pgroups.find(local);
                     if (it == src.pgroups.end()) return;
                     for (auto& t : it->second.targets) {
                       if (t.name == me) t.allowed = allowed;
                     }
                   }});
  return jsonReply(groupJson(g));
}

Reply updateVolumes(ArrayState& st, PGroup& g, const Params& p, std::vector<Remote>* todo) {
  auto add = p.list("addvollist");
  auto rem = p.list("remvollist");
  for (const auto& v : add) {
    auto it = st.volumes.find(v);
    if (it == st.volumes.end() || it->second.destroyed) return faError(kVolumeMissing, v);
    if (std::find(g.volumes.begin(), g.volumes.end(), v) != g.volumes.end()) {
      return faError("Volume " + v + " already belongs to " + g.name + ".", v);
    }
  }
  for (const auto& v : rem) {
    if (std::find(g.volumes.begin(), g.volumes.end(), v) == g.volumes.end()) {
      return faError("Volume " + v + " could not be found in " + g.name + ".", v);
    }
  }
  for (const auto& v : add) g.volumes.push_back(v);
  for (const auto& v : rem) g.volumes.erase(std::find(g.volumes.begin(), g.volumes.end(), v));
  for (const auto& t : g.targets) todo->push_back(mirrorGroup(st.cfg.name, g, t.name));
  return jsonReply(groupJson(g));
}

Reply recoverOne(ArrayState& st, const std::string& name) {
  if (auto ps = st.pgsnaps.find(name); ps != st.pgsnaps.end()) {
    if (!ps->second.destroyed) return faError("Protection group snapshot is not destroyed.", name);
    ps->second.destroyed = false;
    for (const auto& m : ps->second.members) {
      if (auto s = st.snaps.find(m); s != st.snaps.end()) s->second.destroyed = false;
    }
    return jsonReply({{"name", name}});
  }
  auto g = st.pgroups.find(name);
  if (g == st.pgroups.end()) return faError(kGroupMissing, name);
  if (!g->second.destroyed) return faError("Protection group is not destroyed.", name);
  g->second.destroyed = false;
  return jsonReply({{"name", name}});
}

Reply update(ArrayState& st, const std::string& name, const Params& p,
             std::vector<Remote>* todo) {
  if (p.str("action") == "recover") return recoverOne(st, name);
  auto g = st.pgroups.find(name);
  if (g == st.pgroups.end()) return faError(kGroupMissing, name);
  if (g->second.destroyed) return faError(kGroupDestroyed, name);
  if (p.has("allowed")) return allow(st, g->second, p.flag("allowed"), todo);
  if (p.has("addvollist") || p.has("remvollist")) return updateVolumes(st, g->second, p, todo);
  return faError("Invalid request.", name);
}

Reply createSnaps(ArrayState& st, const Params& p, std::vector<Remote>* todo) {
  std::vector<std::string> groups = p.list("source");
  if (groups.empty()) return faError("Missing source.", "source");
  std::string suffix;
  if (!snapSuffix(st, p, &suffix)) return faError("Invalid suffix.", suffix);
  for (const auto& gname : groups) {
    auto g = st.pgroups.find(gname);
    if (g == st.pgroups.end()) return faError(kGroupMissing, gname);
    if (g->second.destroyed) return faError(kGroupDestroyed, gname);
    if (st.pgsnaps.count(gname + "." + suffix)) {
      return faError("Protection group snapshot already exists.", gname + "." + suffix);
    }
  }
  bool replicate = p.flag("replicate_now") || p.flag("replicate");
  json out = json::array();
  for (const auto& gname : groups) {
    const PGroup& g = st.pgroups[gname];
    PgSnap ps;
    ps.name = gname + "." + suffix;
    ps.group = gname;
    ps.suffix = suffix;
    ps.created = nowSeconds();
    ps.seq = ++st.seq;
    std::vector<MemberCopy> copies;
    for (const auto& vname : g.volumes) {
      auto v = st.volumes.find(vname);
      if (v == st.volumes.end() || v->second.destroyed) continue;
      std::string sn = memberName(gname, suffix, vname);
      addSnapshot(st, sn, v->second, suffix, ps.name);
      ps.members.push_back(sn);
      copies.push_back({vname, v->second.size});
    }
    st.pgsnaps[ps.name] = ps;
    out.push_back(pgsnapJson(ps, false));
    if (!replicate) continue;
    for (const auto& t : g.targets) {
      if (t.allowed) todo->push_back(replicateSnap(st.cfg.name, ps, copies, g, t.name));
    }
  }
  return jsonReply(out);
}

Reply destroyOrEradicate(ArrayState& st, const std::string& name, const Params& p) {
  bool eradicate = p.flag("eradicate");
  if (auto ps = st.pgsnaps.find(name); ps != st.pgsnaps.end()) {
    PgSnap& s = ps->second;
    if (!eradicate) {
      if (s.destroyed) return faError(kPgSnapDestroyed, name);
      s.destroyed = true;
      s.destroyed_at = nowSeconds();
      for (const auto& m : s.members) {
        if (auto sn = st.snaps.find(m); sn != st.snaps.end()) {
          sn->second.destroyed = true;
          sn->second.destroyed_at = s.destroyed_at;
        }
      }
      return jsonReply({{"name", name}});
    }
    if (!s.destroyed) {
      return faError("Protection group snapshot must be destroyed before it can be eradicated.",
                     name);
    }
    if (st.cfg.safemode) return faError(kEradicationDisabled, name);
    for (const auto& m : std::vector<std::string>(s.members)) st.snaps.erase(m);
    st.pgsnaps.erase(ps);
    return jsonReply({{"name", name}});
  }
  auto g = st.pgroups.find(name);
  if (g == st.pgroups.end()) {
    return faError(name.find('.') != std::string::npos ? kPgSnapMissing : kGroupMissing, name);
  }
  if (!eradicate) {
    if (g->second.destroyed) return faError(kGroupDestroyed, name);
    g->second.destroyed = true;
    return jsonReply({{"name", name}});
  }
  if (!g->second.destroyed) {
    return faError("Protection group must be destroyed before it can be eradicated.", name);
  }
  if (st.cfg.safemode) return faError(kEradicationDisabled, name);
  for (auto it = st.pgsnaps.begin(); it != st.pgsnaps.end();) {
    if (it->second.group != name) {
      ++it;
      continue;
    }
    for (const auto& m : it->second.members) st.snaps.erase(m);
    it = st.pgsnaps.erase(it);
  }
  st.pgroups.erase(g);
  return jsonReply({{"name", name}});
}

Reply route(Call& c, std::vector<Remote>* todo) {
  std::lock_guard<std::mutex> lk(c.arr.mu);
  ArrayState& st = c.arr.state;
  if (c.seg.size() == 1) {
    if (c.method == "GET") return listAll(st, c.params);
    if (c.method == "POST" && c.params.flag("snap")) return createSnaps(st, c.params, todo);
    return faError("Invalid request.", "pgroup");
  }
  if (c.seg.size() != 2) return faError("Invalid request.", "pgroup");
  const std::string& name = c.seg[1];
  if (c.method == "GET") return getGroupOrSnap(st, name, c.params);
  if (c.method == "POST") return createGroup(st, name, c.params, todo);
  if (c.method == "PUT") return update(st, name, c.params, todo);
  if (c.method == "DELETE") return destroyOrEradicate(st, name, c.params);
  return faError("Invalid request.", name);
}

}  // namespace

Reply faPgroup(Call& c) {
  std::vector<Remote> todo;
  Reply r = route(c, &todo);
  applyRemote(c.fleet, todo);
  return r;
}

}  // namespace arraysim
