#include "scenario.h"

#include <cctype>
#include <set>
#include <stdexcept>

namespace arraysim {

using nlohmann::json;

namespace {

const char kDefault[] = R"json({
  "arrays": [
    {
      "name": "fa-east", "kind": "flasharray", "port": 0,
      "id": "4f8e2c1a-93d7-4b60-a2f5-7c1e0d9b3a11", "version": "6.1.8",
      "users": [{"name": "pureuser", "api_token": "0b6e1f52-7c1d-4a8e-9f3b-6d2a5c8e1f01"}],
      "ports": [
        {"name": "CT0.FC0", "wwn": "52:4A:93:70:11:22:33:00"},
        {"name": "CT1.FC0", "wwn": "52:4A:93:70:11:22:33:10"},
        {"name": "CT0.ETH4", "iqn": "iqn.2010-06.com.purestorage:flasharray.fa-east"}
      ],
      "volumes": [
        {"name": "db01", "size": 10737418240},
        {"name": "db02", "size": 10737418240},
        {"name": "logs01", "size": 5368709120},
        {"name": "pod1::app01", "size": 21474836480}
      ],
      "hosts": [
        {"name": "backup01", "wwn": ["10:00:00:00:c9:a0:00:01"],
         "iqn": ["iqn.1994-05.com.redhat:backup01"], "hgroup": "backup-cluster"},
        {"name": "backup02", "wwn": ["10:00:00:00:c9:a0:00:02"], "hgroup": "backup-cluster"},
        {"name": "mount01", "iqn": ["iqn.1994-05.com.redhat:mount01"]}
      ],
      "pgroups": [
        {"name": "pg-db", "volumes": ["db01", "db02"],
         "targets": [{"name": "fa-west", "allowed": true}]}
      ],
      "pods": [{"name": "pod1", "arrays": ["fa-east", "fa-west"]}],
      "replication_targets": ["fa-west"]
    },
    {
      "name": "fa-west", "kind": "flasharray", "port": 0,
      "id": "9d42b7e0-15c8-4e3a-b6f1-2a7d9c0e4b22", "version": "6.1.8",
      "users": [{"name": "pureuser", "api_token": "5c3a9e71-2b8d-4f16-a0c4-9e7b1d3f5a02"}],
      "ports": [
        {"name": "CT0.FC0", "wwn": "52:4A:93:70:44:55:66:00"},
        {"name": "CT0.ETH4", "iqn": "iqn.2010-06.com.purestorage:flasharray.fa-west"}
      ],
      "volumes": [
        {"name": "web01", "size": 10737418240}
      ],
      "hosts": [
        {"name": "backup01", "wwn": ["10:00:00:00:c9:a0:00:01"],
         "iqn": ["iqn.1994-05.com.redhat:backup01"]},
        {"name": "dr-mount01", "iqn": ["iqn.1994-05.com.redhat:dr-mount01"]}
      ],
      "pods": [{"name": "pod1", "arrays": ["fa-east", "fa-west"]}],
      "replication_targets": ["fa-east"]
    },
    {
      "name": "fb-main", "kind": "flashblade", "port": 0,
      "id": "c1d2e3f4-a5b6-4c7d-8e9f-0a1b2c3d4e03", "version": "3.3.2",
      "api_versions": ["1.0", "1.1", "1.2", "1.3", "1.4", "1.5"],
      "users": [{"name": "pureuser", "api_token": "T-7f3c2e1d-8a9b-4c5d-b6e7-f8a9b0c1d203"}],
      "file_systems": [
        {"name": "fs01", "nfs": true},
        {"name": "fs02", "nfs": true},
        {"name": "smb-only", "nfs": false}
      ],
      "network_interfaces": [
        {"name": "nfs1", "address": "127.0.0.1", "services": ["data"]},
        {"name": "vir0", "address": "127.0.0.2", "services": ["management"]},
        {"name": "repl0", "address": "127.0.0.3", "services": ["replication"]}
      ]
    }
  ]
})json";

[[noreturn]] void fail(const std::string& where, const std::string& what) {
  throw std::invalid_argument("scenario: " + where + ": " + what);
}

std::string reqString(const json& j, const char* key, const std::string& where) {
  if (!j.contains(key) || !j[key].is_string() || j[key].get<std::string>().empty()) {
    fail(where, std::string("\"") + key + "\" must be a non-empty string");
  }
  return j[key].get<std::string>();
}

std::vector<std::string> stringList(const json& j, const char* key, const std::string& where) {
  std::vector<std::string> out;
  if (!j.contains(key)) return out;
  if (!j[key].is_array()) fail(where, std::string("\"") + key + "\" must be a list");
  for (const auto& e : j[key]) {
    if (!e.is_string()) fail(where, std::string("\"") + key + "\" holds a non-string");
    out.push_back(e.get<std::string>());
  }
  return out;
}

const json& listOf(const json& j, const char* key) {
  static const json empty = json::array();
  if (!j.contains(key)) return empty;
  if (!j[key].is_array()) fail(key, "must be a list");
  return j[key];
}

std::vector<std::string> defaultFaVersions() {
  std::vector<std::string> v;
  for (int i = 0; i <= 19; ++i) v.push_back("1." + std::to_string(i));
  return v;
}

ArrayConfig configOf(const json& a, const std::string& where) {
  ArrayConfig c;
  c.name = reqString(a, "name", where);
  std::string kind = reqString(a, "kind", where);
  if (kind == "flasharray") {
    c.kind = Kind::kFlashArray;
  } else if (kind == "flashblade") {
    c.kind = Kind::kFlashBlade;
  } else {
    fail(where, "\"kind\" must be flasharray or flashblade");
  }
  c.port = a.value("port", 0);
  if (c.port < 0 || c.port > 65535) fail(where, "bad port");
  c.id = reqString(a, "id", where);
  c.version = a.value("version", c.kind == Kind::kFlashArray ? "6.1.8" : "3.3.2");
  c.api_versions = stringList(a, "api_versions", where);
  if (c.api_versions.empty()) {
    c.api_versions = c.kind == Kind::kFlashArray ? defaultFaVersions()
                                                 : std::vector<std::string>{"1.0", "1.1", "1.2",
                                                                            "1.3", "1.4", "1.5"};
  }
  for (const auto& u : listOf(a, "users")) {
    c.users.push_back({reqString(u, "name", where + " user"), reqString(u, "api_token", where + " user")});
  }
  if (c.users.empty()) fail(where, "needs at least one user");
  c.safemode = a.value("safemode", false);
  c.replication_targets = stringList(a, "replication_targets", where);
  return c;
}

void loadFlashArray(const json& a, ArrayState& st, const std::string& where) {
  for (const auto& p : listOf(a, "ports")) {
    Port port;
    port.name = reqString(p, "name", where + " port");
    port.wwn = normalizeWwn(p.value("wwn", ""));
    port.iqn = p.value("iqn", "");
    port.portal = p.value("portal", port.iqn.empty() ? "" : "127.0.0.1:3260");
    if (port.wwn.empty() == port.iqn.empty()) fail(where, "a port has one of wwn or iqn");
    st.ports.push_back(port);
  }
  for (const auto& v : listOf(a, "volumes")) {
    Volume vol;
    vol.name = reqString(v, "name", where + " volume");
    vol.size = v.value("size", int64_t{1073741824});
    vol.created = nowSeconds();
    if (v.contains("serial")) {
      vol.serial = reqString(v, "serial", where + " volume");
      if (vol.serial.size() != 24) fail(where, "serial " + vol.serial + " is not 24 hex digits");
      for (auto& ch : vol.serial) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      if (st.serials.taken(vol.serial)) fail(where, "serial used twice: " + vol.serial);
      st.serials.reserve(vol.serial);
    }
    if (st.volumes.count(vol.name)) fail(where, "volume listed twice: " + vol.name);
    st.volumes[vol.name] = vol;
  }
  for (const auto& h : listOf(a, "hosts")) {
    Host host;
    host.name = reqString(h, "name", where + " host");
    for (const auto& w : stringList(h, "wwn", where)) host.wwns.push_back(normalizeWwn(w));
    host.iqns = stringList(h, "iqn", where);
    host.hgroup = h.value("hgroup", "");
    if (!host.hgroup.empty()) st.hgroups[host.hgroup].name = host.hgroup;
    st.hosts[host.name] = host;
  }
  for (const auto& g : listOf(a, "pgroups")) {
    PGroup pg;
    pg.name = reqString(g, "name", where + " pgroup");
    pg.source = st.cfg.name;
    pg.volumes = stringList(g, "volumes", where);
    for (const auto& v : pg.volumes) {
      if (!st.volumes.count(v)) fail(where, "pgroup " + pg.name + " names unknown volume " + v);
    }
    for (const auto& t : listOf(g, "targets")) {
      pg.targets.push_back({reqString(t, "name", where + " target"), t.value("allowed", false)});
    }
    st.pgroups[pg.name] = pg;
  }
  for (const auto& p : listOf(a, "pods")) {
    Pod pod;
    pod.name = reqString(p, "name", where + " pod");
    pod.arrays = stringList(p, "arrays", where);
    st.pods[pod.name] = pod;
  }
}

void loadFlashBlade(const json& a, ArrayState& st, const std::string& where) {
  for (const auto& f : listOf(a, "file_systems")) {
    FileSystem fs;
    fs.name = reqString(f, "name", where + " file system");
    fs.nfs = f.value("nfs", true);
    fs.created_ms = nowMillis();
    fs.provisioned = f.value("provisioned", int64_t{1099511627776});
    st.file_systems[fs.name] = fs;
  }
  for (const auto& n : listOf(a, "network_interfaces")) {
    NetIf ni;
    ni.name = reqString(n, "name", where + " network interface");
    ni.address = reqString(n, "address", where + " network interface");
    ni.services = stringList(n, "services", where);
    st.netifs.push_back(ni);
  }
}

ArrayState* byName(std::vector<ArrayState>& all, const std::string& name) {
  for (auto& a : all) {
    if (a.cfg.name == name) return &a;
  }
  return nullptr;
}

// Every pod member of the process knows the pod and holds its volumes,
// with the serials of the array that listed them.
void sharePods(std::vector<ArrayState>& all) {
  for (auto& owner : all) {
    for (const auto& [pname, pod] : owner.pods) {
      for (const auto& member : pod.arrays) {
        ArrayState* m = byName(all, member);
        if (!m || m == &owner || m->cfg.kind != Kind::kFlashArray) continue;
        if (!m->pods.count(pname)) m->pods[pname] = pod;
        for (const auto& [vname, v] : owner.volumes) {
          if (vname.rfind(pname + "::", 0) != 0 || m->volumes.count(vname)) continue;
          m->volumes[vname] = v;
          m->serials.reserve(v.serial);
        }
      }
    }
  }
}

void mirrorGroups(std::vector<ArrayState>& all) {
  for (auto& src : all) {
    for (const auto& [gname, g] : src.pgroups) {
      if (g.source != src.cfg.name) continue;
      for (const auto& t : g.targets) {
        ArrayState* tgt = byName(all, t.name);
        if (!tgt) continue;
        PGroup copy;
        copy.name = src.cfg.name + ":" + gname;
        copy.source = src.cfg.name;
        for (const auto& v : g.volumes) copy.volumes.push_back(src.cfg.name + ":" + v);
        copy.targets = {t};
        tgt->pgroups[copy.name] = copy;
      }
    }
  }
}

}  // namespace

const json& defaultScenario() {
  static const json j = json::parse(kDefault);
  return j;
}

std::vector<ArrayState> loadScenario(const json& scenario) {
  if (!scenario.is_object() || !scenario.contains("arrays") || !scenario["arrays"].is_array() ||
      scenario["arrays"].empty()) {
    fail("top level", "\"arrays\" must be a non-empty list");
  }
  std::vector<ArrayState> all;
  std::set<std::string> names;
  for (const auto& a : scenario["arrays"]) {
    if (!a.is_object()) fail("arrays", "each array is an object");
    ArrayState st;
    st.cfg = configOf(a, "array " + a.value("name", std::string("?")));
    if (!names.insert(st.cfg.name).second) fail(st.cfg.name, "array name used twice");
    st.serials.setPrefix(st.cfg.id);
    if (st.cfg.kind == Kind::kFlashArray) {
      loadFlashArray(a, st, st.cfg.name);
    } else {
      loadFlashBlade(a, st, st.cfg.name);
    }
    all.push_back(std::move(st));
  }
  // Generated serials only after every given one is reserved.
  for (auto& st : all) {
    for (auto& [n, v] : st.volumes) {
      if (v.serial.empty()) v.serial = st.serials.next();
    }
  }
  sharePods(all);
  mirrorGroups(all);
  for (auto& st : all) {
    for (const auto& t : st.cfg.replication_targets) {
      if (!names.count(t)) fail(st.cfg.name, "replication target " + t + " is not in this scenario");
    }
  }
  return all;
}

}  // namespace arraysim
