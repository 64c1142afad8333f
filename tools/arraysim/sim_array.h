// One simulated array with what the server keeps beside its state: the
// sessions, the request log, the fault rules and the counters. A Fleet holds
// every array of the process so that replication can reach its targets.
#ifndef ARRAYSIM_SIM_ARRAY_H_
#define ARRAYSIM_SIM_ARRAY_H_

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model.h"

namespace arraysim {

struct RequestRecord {
  uint64_t seq = 0;
  std::string method;
  std::string target;
  std::string body;
  bool cookie = false;
  bool api_token = false;
  bool x_auth_token = false;
  int status = 0;  // 0: no answer was sent (dropped)
  uint64_t conn = 0;
};

// Bounded log of the REST requests of one array, oldest dropped first.
class RequestLog {
 public:
  static constexpr size_t kMaxEntries = 20000;
  static constexpr size_t kMaxBody = 4096;

  void add(RequestRecord rec);
  nlohmann::json toJson() const;
  void clear();

 private:
  mutable std::mutex mu_;
  std::deque<RequestRecord> entries_;
  uint64_t next_seq_ = 1;
};

// Replaces the value of every "api_token" in a request body with "***".
std::string redactBody(const std::string& body);

enum class FaultAction { kStatus, kDelay, kDrop, kEmpty, kGarbage };

struct FaultRule {
  std::string method;  // empty: every method
  std::string path;    // regular expression on the raw target
  std::regex re;
  FaultAction action = FaultAction::kStatus;
  int status = 500;
  std::string body;
  int delay_ms = 0;
  int count = 1;  // < 1: unlimited
};

class FaultTable {
 public:
  static constexpr size_t kMaxRules = 256;

  // Parses and adds a rule; false with `error` set when it is malformed.
  bool add(const nlohmann::json& ruleJson, std::string* error);
  void clear();
  // The first rule matching the request, its count used up by one.
  std::optional<FaultRule> take(const std::string& method, const std::string& target);
  nlohmann::json toJson() const;

 private:
  mutable std::mutex mu_;
  std::vector<FaultRule> rules_;
};

// Session tokens (FlashArray cookies, FlashBlade x-auth-token values).
class SessionTable {
 public:
  static constexpr size_t kMaxSessions = 4096;

  std::string open(const std::string& user);
  std::optional<std::string> user(const std::string& token) const;
  bool close(const std::string& token);
  size_t count() const;

 private:
  mutable std::mutex mu_;
  std::map<std::string, std::string> by_token_;
  std::deque<std::string> order_;
};

struct Stats {
  std::atomic<uint64_t> connections{0};
  std::atomic<uint64_t> requests{0};
  std::atomic<uint64_t> logins{0};
  std::atomic<uint64_t> logouts{0};
};

class SimArray {
 public:
  explicit SimArray(ArrayState st) : state(std::move(st)) {}

  const ArrayConfig& cfg() const { return state.cfg; }
  const User* userByToken(const std::string& token) const;

  std::mutex mu;  // guards `state` apart from cfg, which never changes
  ArrayState state;
  SessionTable sessions;
  RequestLog log;
  FaultTable faults;
  Stats stats;
  int bound_port = 0;
  std::atomic<uint64_t> conn_numbers{0};  // last TLS connection number given
};

class Fleet {
 public:
  std::vector<std::unique_ptr<SimArray>> arrays;

  SimArray* find(const std::string& name) const;
};

// Random lower-case hex text of `bytes` random bytes.
std::string randomHex(size_t bytes);

}  // namespace arraysim

#endif  // ARRAYSIM_SIM_ARRAY_H_
