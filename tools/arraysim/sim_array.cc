#include "sim_array.h"

#include <openssl/rand.h>

#include <cstdio>

namespace arraysim {

using nlohmann::json;

void RequestLog::add(RequestRecord rec) {
  std::lock_guard<std::mutex> lk(mu_);
  rec.seq = next_seq_++;
  if (rec.body.size() > kMaxBody) rec.body.resize(kMaxBody);
  entries_.push_back(std::move(rec));
  while (entries_.size() > kMaxEntries) entries_.pop_front();
}

json RequestLog::toJson() const {
  std::lock_guard<std::mutex> lk(mu_);
  json out = json::array();
  for (const auto& r : entries_) {
    out.push_back({{"seq", r.seq}, {"method", r.method}, {"target", r.target},
                   {"body", r.body}, {"cookie", r.cookie}, {"api_token", r.api_token},
                   {"x_auth_token", r.x_auth_token}, {"status", r.status}, {"conn", r.conn}});
  }
  return out;
}

void RequestLog::clear() {
  std::lock_guard<std::mutex> lk(mu_);
  entries_.clear();
}

std::string redactBody(const std::string& body) {
  static const std::regex json_token(R"re(("api_token"\s*:\s*)"(?:[^"\\]|\\.)*")re");
  static const std::regex form_token(R"re((^|&)(api_token=)[^&]*)re");
  if (body.find("api_token") == std::string::npos) return body;
  std::string out = std::regex_replace(body, json_token, "$1\"***\"");
  return std::regex_replace(out, form_token, "$1$2***");
}

namespace {

std::optional<FaultAction> actionFrom(const std::string& s) {
  if (s == "status") return FaultAction::kStatus;
  if (s == "delay") return FaultAction::kDelay;
  if (s == "drop") return FaultAction::kDrop;
  if (s == "empty") return FaultAction::kEmpty;
  if (s == "garbage") return FaultAction::kGarbage;
  return std::nullopt;
}

const char* actionName(FaultAction a) {
  switch (a) {
    case FaultAction::kStatus: return "status";
    case FaultAction::kDelay: return "delay";
    case FaultAction::kDrop: return "drop";
    case FaultAction::kEmpty: return "empty";
    case FaultAction::kGarbage: return "garbage";
  }
  return "";
}

}  // namespace

bool FaultTable::add(const json& ruleJson, std::string* error) {
  if (!ruleJson.is_object()) {
    *error = "a fault rule is a JSON object";
    return false;
  }
  FaultRule rule;
  rule.method = ruleJson.value("method", "");
  rule.path = ruleJson.value("path", ".*");
  auto action = actionFrom(ruleJson.value("action", "status"));
  if (!action) {
    *error = "unknown action";
    return false;
  }
  rule.action = *action;
  try {
    rule.re = std::regex(rule.path);
    rule.status = ruleJson.value("status", 500);
    rule.body = ruleJson.value("body", "");
    rule.delay_ms = ruleJson.value("delay_ms", 0);
    rule.count = ruleJson.value("count", 1);
  } catch (const std::exception& e) {
    *error = std::string("bad rule: ") + e.what();
    return false;
  }
  if (rule.status < 100 || rule.status > 599 || rule.delay_ms < 0 || rule.delay_ms > 60000) {
    *error = "status must be 100-599 and delay_ms 0-60000";
    return false;
  }
  std::lock_guard<std::mutex> lk(mu_);
  if (rules_.size() >= kMaxRules) {
    *error = "too many fault rules";
    return false;
  }
  rules_.push_back(std::move(rule));
  return true;
}

void FaultTable::clear() {
  std::lock_guard<std::mutex> lk(mu_);
  rules_.clear();
}

std::optional<FaultRule> FaultTable::take(const std::string& method, const std::string& target) {
  std::lock_guard<std::mutex> lk(mu_);
  for (auto it = rules_.begin(); it != rules_.end(); ++it) {
    if (!it->method.empty() && it->method != method) continue;
    if (!std::regex_search(target, it->re)) continue;
    FaultRule hit = *it;
    if (it->count > 0 && --it->count == 0) rules_.erase(it);
    return hit;
  }
  return std::nullopt;
}

json FaultTable::toJson() const {
  std::lock_guard<std::mutex> lk(mu_);
  json out = json::array();
  for (const auto& r : rules_) {
    out.push_back({{"method", r.method}, {"path", r.path}, {"action", actionName(r.action)},
                   {"status", r.status}, {"body", r.body}, {"delay_ms", r.delay_ms},
                   {"count", r.count}});
  }
  return out;
}

std::string SessionTable::open(const std::string& user) {
  std::string token = randomHex(16);
  std::lock_guard<std::mutex> lk(mu_);
  by_token_[token] = user;
  order_.push_back(token);
  while (order_.size() > kMaxSessions) {
    by_token_.erase(order_.front());
    order_.pop_front();
  }
  return token;
}

std::optional<std::string> SessionTable::user(const std::string& token) const {
  std::lock_guard<std::mutex> lk(mu_);
  auto it = by_token_.find(token);
  if (it == by_token_.end()) return std::nullopt;
  return it->second;
}

bool SessionTable::close(const std::string& token) {
  std::lock_guard<std::mutex> lk(mu_);
  if (by_token_.erase(token) == 0) return false;
  for (auto it = order_.begin(); it != order_.end(); ++it) {
    if (*it == token) {
      order_.erase(it);
      break;
    }
  }
  return true;
}

size_t SessionTable::count() const {
  std::lock_guard<std::mutex> lk(mu_);
  return by_token_.size();
}

const User* SimArray::userByToken(const std::string& token) const {
  if (token.empty()) return nullptr;
  for (const auto& u : cfg().users) {
    if (u.api_token == token) return &u;
  }
  return nullptr;
}

SimArray* Fleet::find(const std::string& name) const {
  for (const auto& a : arrays) {
    if (a->cfg().name == name) return a.get();
  }
  return nullptr;
}

std::string randomHex(size_t bytes) {
  std::vector<unsigned char> buf(bytes);
  if (RAND_bytes(buf.data(), static_cast<int>(buf.size())) != 1) {
    throw std::runtime_error("RAND_bytes failed");
  }
  std::string out;
  char two[3];
  for (unsigned char b : buf) {
    std::snprintf(two, sizeof two, "%02x", b);
    out += two;
  }
  return out;
}

}  // namespace arraysim
