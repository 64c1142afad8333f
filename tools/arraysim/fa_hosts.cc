// FlashArray hosts, host groups and their volume connections with LUNs.
#include <mutex>
#include <set>

#include "fa_objects.h"
#include "handlers.h"

namespace arraysim {

using nlohmann::json;

namespace {

constexpr int kMaxLun = 4095;

json hostJson(const Host& h) {
  return {{"name", h.name},
          {"wwn", h.wwns},
          {"iqn", h.iqns},
          {"hgroup", h.hgroup.empty() ? json(nullptr) : json(h.hgroup)}};
}

void lunsOfHost(const ArrayState& st, const Host& h, std::set<int>* used) {
  for (const auto& [v, lun] : h.volumes) used->insert(lun);
  if (auto g = st.hgroups.find(h.hgroup); g != st.hgroups.end()) {
    for (const auto& [v, lun] : g->second.volumes) used->insert(lun);
  }
}

// The LUN to use: the requested one if free, else the lowest free from 1.
int pickLun(const std::set<int>& used, const Params& p, bool* clash) {
  *clash = false;
  if (auto want = p.integer("lun")) {
    *clash = used.count(static_cast<int>(*want)) != 0 || *want < 0 || *want > kMaxLun;
    return static_cast<int>(*want);
  }
  for (int lun = 1; lun <= kMaxLun; ++lun) {
    if (!used.count(lun)) return lun;
  }
  *clash = true;
  return -1;
}

// True, with the error reply in `err`, unless `vol` is a live volume.
bool badVolume(const ArrayState& st, const std::string& vol, Reply* err) {
  auto v = st.volumes.find(vol);
  if (v == st.volumes.end()) {
    *err = faError(kVolumeMissing, vol);
    return true;
  }
  if (v->second.destroyed) {
    *err = faError(kVolumeDestroyed, vol);
    return true;
  }
  return false;
}

std::vector<std::string> initiators(const Params& p, const std::string& key, bool wwn) {
  std::vector<std::string> out;
  for (const auto& s : p.list(key)) out.push_back(wwn ? normalizeWwn(s) : s);
  return out;
}

Reply createHost(ArrayState& st, const std::string& name, const Params& p) {
  if (!validObjectName(name)) return faError("Invalid host name.", name);
  if (st.hosts.count(name)) return faError("Host already exists.", name);
  Host h;
  h.name = name;
  h.wwns = initiators(p, "wwnlist", true);
  h.iqns = initiators(p, "iqnlist", false);
  for (const auto& [n, other] : st.hosts) {
    for (const auto& w : h.wwns) {
      for (const auto& o : other.wwns) {
        if (o == w) return faError("The specified WWN is already in use.", w);
      }
    }
    for (const auto& i : h.iqns) {
      for (const auto& o : other.iqns) {
        if (initiatorKey(o) == initiatorKey(i)) return faError("The specified IQN is already in use.", i);
      }
    }
  }
  return jsonReply(hostJson(st.hosts[name] = h));
}

Reply hostVolumes(const ArrayState& st, const Host& h) {
  json out = json::array();
  for (const auto& [v, lun] : h.volumes) {
    out.push_back({{"name", h.name}, {"vol", v}, {"lun", lun}, {"hgroup", nullptr}});
  }
  if (auto g = st.hgroups.find(h.hgroup); g != st.hgroups.end()) {
    for (const auto& [v, lun] : g->second.volumes) {
      out.push_back({{"name", h.name}, {"vol", v}, {"lun", lun}, {"hgroup", h.hgroup}});
    }
  }
  return jsonReply(out);
}

Reply connectHost(ArrayState& st, Host& h, const std::string& vol, const Params& p) {
  Reply err;
  if (badVolume(st, vol, &err)) return err;
  if (h.volumes.count(vol)) return faError("Connection already exists.", vol);
  std::set<int> used;
  lunsOfHost(st, h, &used);
  bool clash = false;
  int lun = pickLun(used, p, &clash);
  if (clash) return faError("LUN is already in use.", std::to_string(lun));
  h.volumes[vol] = lun;
  return jsonReply({{"name", h.name}, {"vol", vol}, {"lun", lun}});
}

Reply connectGroup(ArrayState& st, HostGroup& g, const std::string& vol, const Params& p) {
  Reply err;
  if (badVolume(st, vol, &err)) return err;
  if (g.volumes.count(vol)) return faError("Connection already exists.", vol);
  std::set<int> used;
  for (const auto& [v, lun] : g.volumes) used.insert(lun);
  for (const auto& [hn, h] : st.hosts) {
    if (h.hgroup == g.name) lunsOfHost(st, h, &used);
  }
  bool clash = false;
  int lun = pickLun(used, p, &clash);
  if (clash) return faError("LUN is already in use.", std::to_string(lun));
  g.volumes[vol] = lun;
  return jsonReply({{"name", g.name}, {"vol", vol}, {"lun", lun}});
}

Reply disconnect(std::map<std::string, int>& conns, const std::string& owner,
                 const std::string& vol) {
  auto it = conns.find(vol);
  if (it == conns.end()) {
    return faError("Volume " + vol + " is not connected to " + owner + ".", vol);
  }
  conns.erase(it);
  return jsonReply({{"name", owner}, {"vol", vol}});
}

}  // namespace

Reply faHost(Call& c) {
  std::lock_guard<std::mutex> lk(c.arr.mu);
  ArrayState& st = c.arr.state;
  const auto& s = c.seg;
  if (s.size() == 1) {
    if (c.method != "GET") return faError("Invalid request.", "host");
    json out = json::array();
    for (const auto& [n, h] : st.hosts) out.push_back(hostJson(h));
    return jsonReply(out);
  }
  const std::string& name = s[1];
  if (s.size() == 2 && c.method == "POST") return createHost(st, name, c.params);
  auto h = st.hosts.find(name);
  if (h == st.hosts.end()) return faError("Host does not exist.", name);
  if (s.size() == 2) {
    if (c.method == "GET") return jsonReply(hostJson(h->second));
    if (c.method == "DELETE") {
      if (!h->second.volumes.empty()) {
        return faError("Host " + name + " cannot be deleted due to existing connections.", name);
      }
      st.hosts.erase(h);
      return jsonReply({{"name", name}});
    }
  } else if (s[2] == "volume") {
    if (s.size() == 3 && c.method == "GET") return hostVolumes(st, h->second);
    if (s.size() == 4 && c.method == "POST") return connectHost(st, h->second, s[3], c.params);
    if (s.size() == 4 && c.method == "DELETE") return disconnect(h->second.volumes, name, s[3]);
  }
  return faError("Invalid request.", name);
}

Reply faHgroup(Call& c) {
  std::lock_guard<std::mutex> lk(c.arr.mu);
  ArrayState& st = c.arr.state;
  const auto& s = c.seg;
  auto members = [&](const std::string& g) {
    json hosts = json::array();
    for (const auto& [hn, h] : st.hosts) {
      if (h.hgroup == g) hosts.push_back(hn);
    }
    return json{{"name", g}, {"hosts", hosts}};
  };
  if (s.size() == 1) {
    if (c.method != "GET") return faError("Invalid request.", "hgroup");
    json out = json::array();
    for (const auto& [n, g] : st.hgroups) out.push_back(members(n));
    return jsonReply(out);
  }
  const std::string& name = s[1];
  auto g = st.hgroups.find(name);
  if (g == st.hgroups.end()) return faError("Host group does not exist.", name);
  if (s.size() == 2 && c.method == "GET") return jsonReply(members(name));
  if (s.size() >= 3 && s[2] == "volume") {
    if (s.size() == 3 && c.method == "GET") {
      json out = json::array();
      for (const auto& [v, lun] : g->second.volumes) {
        out.push_back({{"name", name}, {"vol", v}, {"lun", lun}});
      }
      return jsonReply(out);
    }
    if (s.size() == 4 && c.method == "POST") return connectGroup(st, g->second, s[3], c.params);
    if (s.size() == 4 && c.method == "DELETE") return disconnect(g->second.volumes, name, s[3]);
  }
  return faError("Invalid request.", name);
}

}  // namespace arraysim
