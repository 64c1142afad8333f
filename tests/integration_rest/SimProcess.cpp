#include "SimProcess.h"

#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "KXLibCurl.h"

extern char** environ;

namespace kxtest {

SimProcess::SimProcess() {
  char tmpl[] = "/tmp/kxsim-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) return;
  dir_ = tmpl;
  std::string exe = KX_ARRAYSIM_PATH;
  std::string log = dir_ + "/arraysim.log";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  const char* argv[] = {exe.c_str(), "--default", "--state-dir", dir_.c_str(), nullptr};
  int rc = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    return;
  }
  // arrays.json is written (atomically) once every server listens.
  const std::string index = dir_ + "/arrays.json";
  for (int i = 0; i < 200 && !std::filesystem::exists(index); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::ifstream in(index);
  if (!in) return;
  nlohmann::json all = nlohmann::json::parse(in, nullptr, false);
  if (all.is_discarded()) return;
  ca_ = all.value("ca", "");
  arrays_ = all["arrays"];
  ok_ = !ca_.empty() && arrays_.is_array();
}

SimProcess::~SimProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  std::error_code ec;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

nlohmann::json SimProcess::array(const std::string& name) const {
  for (const auto& a : arrays_) {
    if (a.value("name", "") == name) return a;
  }
  return nlohmann::json();
}

std::string SimProcess::address(const std::string& name) const {
  return array(name).value("address", "");
}

std::string SimProcess::token(const std::string& name) const {
  nlohmann::json a = array(name);
  if (!a.contains("users") || a["users"].empty()) return "";
  return a["users"][0].value("api_token", "");
}

nlohmann::json SimProcess::admin(const std::string& name, const std::string& what) const {
  KXLibCurl http;
  if (!http.KXLibCurlInit("", true, true, nullptr)) return nlohmann::json();
  std::string url = "https://" + address(name) + "/sim/v1/" + what;
  if (!http.KXLibCurlSendHttpReq(HTTP_REQ_GET, url, nullptr, 0, false, nullptr)) {
    return nlohmann::json();
  }
  size_t n = 0;
  const char* body = http.GetHttpResponse(&n, false);
  return nlohmann::json::parse(std::string(body, n), nullptr, false);
}

}  // namespace kxtest
