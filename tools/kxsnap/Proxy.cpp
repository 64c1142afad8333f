#include "Proxy.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "HostLog.h"
#include "JobState.h"
#include "KXPlatformConfig.h"

namespace kxsnap {
namespace {

using nlohmann::json;

constexpr size_t kMaxResponse = 64u << 20;

bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool readAll(int fd, std::string* out) {
  char buf[65536];
  while (true) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out->append(buf, static_cast<size_t>(n));
    if (out->size() > kMaxResponse) return false;
  }
}

// Applies to record what the proxy changed between before and after.
void mergeChanges(kxhost::ModelSnapInfo& record, const kxhost::RecordState& before,
                  const kxhost::RecordState& after) {
  kxhost::RecordState& r = record.state();
  if (after.status != before.status) r.status = after.status;
  if (after.errorCode != before.errorCode || after.errorMessage != before.errorMessage) {
    r.errorCode = after.errorCode;
    r.errorMessage = after.errorMessage;
  }
  for (const auto& [type, text] : after.metadata) {
    auto it = before.metadata.find(type);
    if (it == before.metadata.end() || it->second != text) r.metadata[type] = text;
  }
  for (const auto& [type, text] : before.metadata) {
    if (after.metadata.count(type) == 0) r.metadata.erase(type);
  }
  if (after.snapUUID != before.snapUUID) r.snapUUID = after.snapUUID;
  if (after.snapDeviceName != before.snapDeviceName) r.snapDeviceName = after.snapDeviceName;
  if (after.deviceFlags != before.deviceFlags) r.deviceFlags = after.deviceFlags;
  if (after.identifyResult != before.identifyResult) r.identifyResult = after.identifyResult;
  if (after.arrayIdentity != before.arrayIdentity) record.setArrayIdentity(after.arrayIdentity.c_str());
}

// Runs the child; false (and the child reaped) on any failure.
bool exchange(const std::vector<std::string>& argv, const std::string& request,
              std::string* response, std::string* error) {
  int toChild[2], fromChild[2];
  if (pipe(toChild) != 0) return *error = "pipe failed", false;
  if (pipe(fromChild) != 0) {
    close(toChild[0]);
    close(toChild[1]);
    return *error = "pipe failed", false;
  }
  pid_t pid = fork();
  if (pid < 0) return *error = "fork failed", false;
  if (pid == 0) {
    dup2(toChild[0], STDIN_FILENO);
    dup2(fromChild[1], STDOUT_FILENO);
    close(toChild[0]);
    close(toChild[1]);
    close(fromChild[0]);
    close(fromChild[1]);
    std::vector<char*> cargv;
    for (const auto& a : argv) cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    execv(cargv[0], cargv.data());
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  signal(SIGPIPE, SIG_IGN);
  bool sent = writeAll(toChild[1], request);
  close(toChild[1]);
  bool got = readAll(fromChild[0], response);
  close(fromChild[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!sent || !got) return *error = "lost the pipe to the proxy process", false;
  if (WIFSIGNALED(status))
    return *error = "proxy process died of signal " + std::to_string(WTERMSIG(status)), false;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return *error = "proxy process failed with exit code " + std::to_string(WEXITSTATUS(status)), false;
  return true;
}

}  // namespace

bool runOnProxy(Host& host, const std::string& proxy, const std::string& self,
                const std::string& pluginPath, const std::string& logFile, std::string* error) {
  json records = json::array();
  std::vector<kxhost::RecordState> before;
  for (const kxhost::ModelSnapInfo* r : host.jobRecords()) {
    before.push_back(r->state());
    records.push_back(recordToJson(r->state()));
  }
  json request{{"job", host.job().path}, {"proxy", proxy}, {"records", records}};
  std::vector<std::string> argv{self, "--plugin", pluginPath};
  if (!logFile.empty()) argv.insert(argv.end(), {"--log", logFile});
  argv.push_back("proxy-serve");
  std::string response;
  if (!exchange(argv, request.dump(), &response, error)) return false;
  try {
    json answer = json::parse(response);
    const json& after = answer.at("records");
    if (after.size() < before.size()) return *error = "proxy answered too few records", false;
    std::vector<kxhost::RecordState> states(before.size());
    for (size_t i = 0; i < before.size(); ++i) {
      states[i] = before[i];
      recordFromJson(after.at(i), &states[i]);
    }
    for (size_t i = 0; i < before.size(); ++i)
      mergeChanges(*host.jobRecords()[i], before[i], states[i]);
    return true;
  } catch (const std::exception& e) {
    *error = std::string("proxy answer is not valid: ") + e.what();
    return false;
  }
}

int serveProxyRequest(const PluginApi& api) {
  HostLog log("kxsnap.proxy");
  try {
    std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    json request = json::parse(text);
    Job job;
    std::string error;
    if (!readJobFile(request.at("job").get<std::string>(), &job, &error)) {
      log.write("kxsnap.proxy", -1, error.c_str());
      return 3;
    }
    JobState state;
    for (const auto& r : request.at("records")) {
      kxhost::RecordState record;
      recordFromJson(r, &record);
      state.records.push_back(std::move(record));
    }
    Host host;
    if (!host.setUp(job, state, request.at("proxy").get<std::string>(), &error)) {
      log.write("kxsnap.proxy", -1, error.c_str());
      return 3;
    }
    if (!host.caFile().empty()) kxplatform::setHttpCaFile(host.caFile());
    int rc = api.execSnapEngineOp(host.records(), host.count(), &host);
    host.flushRecordLogs();
    json records = json::array();
    for (const kxhost::ModelSnapInfo* r : host.jobRecords()) records.push_back(recordToJson(r->state()));
    std::cout << json{{"result", rc}, {"records", records}}.dump() << std::flush;
    return 0;
  } catch (const std::exception& e) {
    log.debugLvl(-1, "proxy request failed: %s", e.what());
    return 3;
  }
}

}  // namespace kxsnap
