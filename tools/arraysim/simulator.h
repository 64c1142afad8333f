// A running simulator: every array of a scenario served over HTTPS on its
// own 127.0.0.1 port, with the CA and arrays.json written to a state folder.
#ifndef ARRAYSIM_SIMULATOR_H_
#define ARRAYSIM_SIMULATOR_H_

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim_array.h"

namespace arraysim {

struct Limits {
  size_t workers = 16;          // connections served at once, per array
  size_t max_waiting = 64;      // connections waiting for a worker
  size_t keep_alive_requests = 100000;
  int keep_alive_seconds = 120;
  size_t max_body = 1 << 20;    // request body bytes
};

struct Endpoint {
  std::string name;
  std::string kind;
  int port;
};

class ArrayServer;

class Simulator {
 public:
  // Loads the scenario, makes the certificates, binds every port and starts
  // serving; writes DIR/ca.pem, one certificate and key per array, and
  // DIR/arrays.json last. Throws std::exception with the reason on failure.
  Simulator(const nlohmann::json& scenario, const std::string& state_dir, Limits limits = {});
  ~Simulator();

  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Stops every server; idempotent.
  void stop();

  const std::vector<Endpoint>& endpoints() const { return endpoints_; }
  const std::string& caPath() const { return ca_path_; }
  const std::string& arraysJsonPath() const { return arrays_json_; }
  Fleet& fleet() { return fleet_; }

 private:
  Fleet fleet_;
  std::vector<std::unique_ptr<ArrayServer>> servers_;
  std::vector<Endpoint> endpoints_;
  std::string ca_path_;
  std::string arrays_json_;
};

}  // namespace arraysim

#endif  // ARRAYSIM_SIMULATOR_H_
