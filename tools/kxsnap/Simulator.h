// The array simulator as kxsnap sees it: its arrays.json (addresses, users,
// CA file) and, for the demo, a child arraysim process that it starts and
// stops.
#ifndef KXSNAP_SIMULATOR_H
#define KXSNAP_SIMULATOR_H

#include <sys/types.h>

#include <string>
#include <vector>

namespace kxsnap {

struct SimUser {
  std::string name;
  std::string apiToken;
};

struct SimArray {
  std::string name;
  std::string kind;     // "flasharray" or "flashblade"
  std::string address;  // "127.0.0.1:PORT"
  std::string id;
  std::vector<SimUser> users;
};

struct SimArrays {
  std::string caFile;
  std::vector<SimArray> arrays;
};

// Reads an arrays.json; false with *error set when it is missing or broken.
bool readArraysFile(const std::string& path, SimArrays* out, std::string* error);

// A running arraysim child. The destructor stops it (SIGTERM, then SIGKILL).
class SimulatorProcess {
 public:
  SimulatorProcess() = default;
  ~SimulatorProcess();
  SimulatorProcess(const SimulatorProcess&) = delete;
  SimulatorProcess& operator=(const SimulatorProcess&) = delete;

  // Starts `program args...` with --state-dir stateDir and waits (bounded)
  // for stateDir/arrays.json.
  bool start(const std::string& program, const std::vector<std::string>& args,
             const std::string& stateDir, std::string* error);
  // SIGTERM and wait; true when it exited with status 0.
  bool stop();
  std::string arraysFile() const { return stateDir_ + "/arrays.json"; }

 private:
  pid_t pid_ = -1;
  std::string stateDir_;
};

// arraysim built beside kxsnap (tools/arraysim/arraysim), or "arraysim".
std::string defaultSimulatorPath();

}  // namespace kxsnap

#endif  // KXSNAP_SIMULATOR_H
