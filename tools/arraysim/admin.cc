// The admin API under /sim/v1/ (request log, fault rules, state, counters,
// fabric view) and the wrapper that applies fault rules to REST requests
// and logs them.
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "dispatch.h"
#include "params.h"

namespace arraysim {

using nlohmann::json;

namespace {

constexpr char kPrefix[] = "/sim/v1/";

Reply adminError(const std::string& text, int status = 400) {
  return jsonReply({{"error", text}}, status);
}

Reply addFaults(SimArray& arr, const std::string& body) {
  json request = json::parse(body, nullptr, false);
  if (request.is_discarded()) return adminError("body is not JSON");
  std::vector<json> rules = request.is_array() ? request.get<std::vector<json>>() : std::vector<json>{request};
  for (const auto& r : rules) {
    std::string error;
    if (!arr.faults.add(r, &error)) return adminError(error);
  }
  return jsonReply(arr.faults.toJson());
}

json fabricRow(int lun, const Volume& v, const Host& h, const std::string& hgroup,
               const std::string& initiator, const std::string& port) {
  return {{"lun", lun},
          {"volume", v.name},
          {"serial", v.serial},
          {"host", h.name},
          {"hgroup", hgroup.empty() ? json(nullptr) : json(hgroup)},
          {"initiator", initiator},
          {"port", port.empty() ? json(nullptr) : json(port)}};
}

// Array ports a host initiator sees volumes through: every port of its
// transport, FC WWNs as 16 lower-case hex digits, iSCSI IQNs as they stand.
std::vector<std::string> portsFor(const ArrayState& st, bool fc) {
  std::vector<std::string> out;
  for (const auto& p : st.ports) {
    if (fc && !p.wwn.empty()) out.push_back(initiatorKey(p.wwn));
    if (!fc && !p.iqn.empty()) out.push_back(p.iqn);
  }
  if (out.empty()) out.push_back("");
  return out;
}

Reply fabric(SimArray& arr, const Params& p) {
  std::vector<std::string> wanted = p.all("initiator");
  std::lock_guard<std::mutex> lk(arr.mu);
  const ArrayState& st = arr.state;
  json rows = json::array();
  if (st.cfg.kind != Kind::kFlashArray) return jsonReply(rows);
  for (const auto& [hn, h] : st.hosts) {
    for (const auto& init : wanted) {
      std::string key = initiatorKey(init);
      bool fc = false, hit = false;
      for (const auto& w : h.wwns) {
        if (initiatorKey(w) == key) hit = fc = true;
      }
      for (const auto& i : h.iqns) {
        if (initiatorKey(i) == key) hit = true;
      }
      if (!hit) continue;
      auto emit = [&](const std::map<std::string, int>& conns, const std::string& group) {
        for (const auto& [vname, lun] : conns) {
          auto v = st.volumes.find(vname);
          if (v == st.volumes.end() || v->second.destroyed) continue;
          for (const auto& port : portsFor(st, fc)) {
            rows.push_back(fabricRow(lun, v->second, h, group, init, port));
          }
        }
      };
      emit(h.volumes, "");
      if (auto g = st.hgroups.find(h.hgroup); g != st.hgroups.end()) emit(g->second.volumes, h.hgroup);
    }
  }
  return jsonReply(rows);
}

Reply stats(SimArray& arr) {
  return jsonReply({{"connections", arr.stats.connections.load()},
                    {"requests", arr.stats.requests.load()},
                    {"logins", arr.stats.logins.load()},
                    {"logouts", arr.stats.logouts.load()},
                    {"sessions_open", arr.sessions.count()}});
}

Reply stateOf(SimArray& arr) {
  std::lock_guard<std::mutex> lk(arr.mu);
  return jsonReply(arr.state.toJson());
}

Reply applyFault(const FaultRule& f) {
  Reply r;
  switch (f.action) {
    case FaultAction::kDrop:
      r.drop = true;
      r.status = 0;
      break;
    case FaultAction::kEmpty:
      r.status = 200;
      break;
    case FaultAction::kGarbage:
      r.status = 200;
      r.body = "\x01\x7f<html>garbage{[\"";
      break;
    case FaultAction::kStatus:
    case FaultAction::kDelay:
      r.status = f.status;
      r.body = f.body;
      break;
  }
  return r;
}

}  // namespace

bool isAdminTarget(const std::string& target) { return target.rfind(kPrefix, 0) == 0; }

Reply handleAdmin(SimArray& arr, Fleet&, const Incoming& in) {
  std::string path, query;
  splitTarget(in.target, &path, &query);
  std::string what = path.substr(sizeof kPrefix - 1);
  const std::string& m = in.method;
  if (what == "requests" && m == "GET") return jsonReply(arr.log.toJson());
  if (what == "requests" && m == "DELETE") {
    arr.log.clear();
    return jsonReply(json::object());
  }
  if (what == "faults" && m == "GET") return jsonReply(arr.faults.toJson());
  if (what == "faults" && m == "POST") return addFaults(arr, in.body);
  if (what == "faults" && m == "DELETE") {
    arr.faults.clear();
    return jsonReply(json::object());
  }
  if (what == "state" && m == "GET") return stateOf(arr);
  if (what == "stats" && m == "GET") return stats(arr);
  if (what == "fabric" && m == "GET") return fabric(arr, Params::parse(query, ""));
  return adminError("no such admin call: " + m + " " + path, 404);
}

Reply handleRest(SimArray& arr, Fleet& fleet, const Incoming& in) {
  arr.stats.requests++;
  Reply r;
  auto fault = arr.faults.take(in.method, in.target);
  if (fault && fault->action == FaultAction::kDelay) {
    std::this_thread::sleep_for(std::chrono::milliseconds(fault->delay_ms));
    fault.reset();
  }
  r = fault ? applyFault(*fault) : routeRest(arr, fleet, in);
  RequestRecord rec;
  rec.method = in.method;
  rec.target = in.target;
  rec.body = redactBody(in.body);
  rec.cookie = !cookieValue(in.cookie, "session").empty();
  rec.api_token = !in.api_token.empty();
  rec.x_auth_token = !in.x_auth_token.empty();
  rec.status = r.drop ? 0 : r.status;
  rec.conn = in.conn;
  arr.log.add(std::move(rec));
  return r;
}

}  // namespace arraysim
