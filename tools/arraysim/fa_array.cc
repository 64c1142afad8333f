// FlashArray array information, ports and pods.
#include <mutex>

#include "fa_objects.h"
#include "handlers.h"

namespace arraysim {

using nlohmann::json;

Reply faArray(Call& c) {
  if (c.method != "GET" || c.seg.size() != 1) return faError("Invalid request.", "array");
  const ArrayConfig& cfg = c.arr.cfg();
  return jsonReply({{"array_name", cfg.name},
                    {"id", cfg.id},
                    {"version", cfg.version},
                    {"revision", "202401010000+arraysim"}});
}

Reply faPort(Call& c) {
  if (c.method != "GET" || c.seg.size() != 1) return faError("Invalid request.", "port");
  std::lock_guard<std::mutex> lk(c.arr.mu);
  json out = json::array();
  for (const auto& p : c.arr.state.ports) {
    out.push_back({{"name", p.name},
                   {"wwn", p.wwn.empty() ? json(nullptr) : json(p.wwn)},
                   {"iqn", p.iqn.empty() ? json(nullptr) : json(p.iqn)},
                   {"portal", p.portal.empty() ? json(nullptr) : json(p.portal)},
                   {"failover", nullptr}});
  }
  return jsonReply(out);
}

Reply faPod(Call& c) {
  if (c.method != "GET" || c.seg.size() > 2) return faError("Invalid request.", "pod");
  std::vector<Pod> pods;
  {
    std::lock_guard<std::mutex> lk(c.arr.mu);
    for (const auto& [n, p] : c.arr.state.pods) {
      if (c.seg.size() == 1 || n == c.seg[1]) pods.push_back(p);
    }
  }
  if (c.seg.size() == 2 && pods.empty()) return faError("Pod does not exist.", c.seg[1]);
  // Member ids come from the other arrays' configuration, which never
  // changes, so no second lock is needed.
  json out = json::array();
  for (const auto& p : pods) {
    json arrays = json::array();
    for (const auto& a : p.arrays) {
      SimArray* member = c.fleet.find(a);
      arrays.push_back({{"name", a},
                        {"array_id", member ? member->cfg().id : ""},
                        {"status", "online"},
                        {"mediator_status", "online"}});
    }
    out.push_back({{"name", p.name}, {"source", nullptr}, {"arrays", arrays}});
  }
  if (c.seg.size() == 2) return jsonReply(out[0]);
  return jsonReply(out);
}

}  // namespace arraysim
