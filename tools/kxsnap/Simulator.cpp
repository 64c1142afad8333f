#include "Simulator.h"

#include <signal.h>
#include <sys/prctl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

namespace kxsnap {

bool readArraysFile(const std::string& path, SimArrays* out, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  try {
    nlohmann::json j = nlohmann::json::parse(in);
    SimArrays result;
    result.caFile = j.at("ca").get<std::string>();
    for (const auto& a : j.at("arrays")) {
      SimArray array;
      array.name = a.at("name").get<std::string>();
      array.kind = a.at("kind").get<std::string>();
      array.address = a.at("address").get<std::string>();
      array.id = a.value("id", std::string());
      for (const auto& u : a.value("users", nlohmann::json::array()))
        array.users.push_back({u.at("name").get<std::string>(), u.at("api_token").get<std::string>()});
      result.arrays.push_back(std::move(array));
    }
    *out = std::move(result);
    return true;
  } catch (const std::exception& e) {
    *error = path + " is not a valid arrays file: " + e.what();
    return false;
  }
}

SimulatorProcess::~SimulatorProcess() { stop(); }

bool SimulatorProcess::start(const std::string& program, const std::vector<std::string>& args,
                             const std::string& stateDir, std::string* error) {
  stateDir_ = stateDir;
  unlink(arraysFile().c_str());
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.push_back("--state-dir");
  argv.push_back(stateDir);
  pid_ = fork();
  if (pid_ < 0) {
    *error = "cannot start the array simulator";
    return false;
  }
  if (pid_ == 0) {
    // The simulator must not outlive kxsnap, however kxsnap ends.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    // Its banner goes to the log, not into kxsnap's table.
    int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) dup2(devnull, STDOUT_FILENO);
    execvp(cargv[0], cargv.data());
    _exit(127);
  }
  struct stat st {};
  for (int i = 0; i < 300; ++i) {  // 30 s at most
    if (stat(arraysFile().c_str(), &st) == 0) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      *error = "the array simulator " + program + " exited before it was ready";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  *error = "the array simulator did not become ready within 30 s";
  stop();
  return false;
}

bool SimulatorProcess::stop() {
  if (pid_ <= 0) return false;
  kill(pid_, SIGTERM);
  int status = 0;
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return false;
}

std::string defaultSimulatorPath() {
  char self[PATH_MAX] = {0};
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string exe(self, static_cast<size_t>(n));
    std::string built = exe.substr(0, exe.rfind('/')) + "/../arraysim/arraysim";
    if (access(built.c_str(), X_OK) == 0) return built;
  }
  return "arraysim";
}

}  // namespace kxsnap
