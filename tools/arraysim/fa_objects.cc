#include "fa_objects.h"

#include <algorithm>
#include <cctype>

namespace arraysim {

using nlohmann::json;

const char kVolumeMissing[] = "Volume does not exist.";
const char kNoSuchVolOrSnap[] = "No such volume or snapshot.";
const char kVolumeDestroyed[] = "Volume has been destroyed.";
const char kSnapDestroyed[] =
    "Volume snapshot has been destroyed. It can be recovered by purevol recover and "
    "eradicated by purevol eradicate.";

namespace {

json timeRemaining(bool destroyed, int64_t destroyed_at) {
  if (!destroyed) return nullptr;
  return std::max<int64_t>(0, kEradicationDelay - (nowSeconds() - destroyed_at));
}

}  // namespace

json volumeJson(const Volume& v, bool pending) {
  json j = {{"name", v.name},
            {"serial", v.serial},
            {"size", v.size},
            {"created", isoTime(v.created)},
            {"source", v.source.empty() ? json(nullptr) : json(v.source)}};
  if (pending) j["time_remaining"] = timeRemaining(v.destroyed, v.destroyed_at);
  return j;
}

json snapJson(const Snapshot& s, bool pending) {
  json j = {{"name", s.name},
            {"serial", s.serial},
            {"size", s.size},
            {"created", isoTime(s.created)},
            {"source", s.source}};
  if (pending) j["time_remaining"] = timeRemaining(s.destroyed, s.destroyed_at);
  return j;
}

std::vector<const Snapshot*> snapsOf(const ArrayState& st, const std::string& volume) {
  std::vector<const Snapshot*> out;
  for (const auto& [name, s] : st.snaps) {
    if (s.source == volume) out.push_back(&s);
  }
  std::sort(out.begin(), out.end(),
            [](const Snapshot* a, const Snapshot* b) { return a->seq < b->seq; });
  return out;
}

void dropConnections(ArrayState& st, const std::string& volume) {
  for (auto& [n, h] : st.hosts) h.volumes.erase(volume);
  for (auto& [n, g] : st.hgroups) g.volumes.erase(volume);
}

void forgetVolume(ArrayState& st, const std::string& volume) {
  dropConnections(st, volume);
  for (auto& [n, g] : st.pgroups) {
    g.volumes.erase(std::remove(g.volumes.begin(), g.volumes.end(), volume), g.volumes.end());
  }
}

void eraseSnapshot(ArrayState& st, const std::string& name) {
  auto it = st.snaps.find(name);
  if (it == st.snaps.end()) return;
  auto ps = st.pgsnaps.find(it->second.pgsnap);
  if (ps != st.pgsnaps.end()) {
    auto& m = ps->second.members;
    m.erase(std::remove(m.begin(), m.end(), name), m.end());
  }
  st.snaps.erase(it);
}

Snapshot& addSnapshot(ArrayState& st, const std::string& name, const Volume& source,
                      const std::string& suffix, const std::string& pgsnap) {
  Snapshot s;
  s.name = name;
  s.serial = st.serials.next();
  s.source = source.name;
  s.suffix = suffix;
  s.pgsnap = pgsnap;
  s.size = source.size;
  s.created = nowSeconds();
  s.seq = ++st.seq;
  return st.snaps[name] = s;
}

bool snapSuffix(ArrayState& st, const Params& p, std::string* suffix) {
  *suffix = p.has("suffix") ? p.str("suffix") : std::to_string(++st.auto_suffix);
  return validObjectName(*suffix) && suffix->find_first_of(".:") == std::string::npos;
}

bool validObjectName(const std::string& name) {
  if (name.empty() || name.size() > 255) return false;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (!(std::isalnum(u) || c == '-' || c == '_' || c == ':' || c == '.')) return false;
  }
  return true;
}

}  // namespace arraysim
