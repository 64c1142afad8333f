#include "Steps.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "Host.h"
#include "HostLog.h"
#include "KXPlatformConfig.h"
#include "KXSOCodes.h"
#include "Proxy.h"
#include "San.h"

namespace kxsnap {
namespace {

const char* kPureDeviceKind = "PURE    |::|FlashArray      ";

std::string localHostName() {
  char name[256] = {0};
  if (gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

bool writeRegistry(const Job& job, std::string* path, std::string* error) {
  if (job.registry.empty()) {
    path->clear();
    return true;
  }
  *path = job.path + ".registry";
  std::ofstream out(*path, std::ios::trunc);
  out << "# written by kxsnap from the job's registry values\n";
  for (const auto& [key, value] : job.registry) out << key << " = " << value << "\n";
  if (!out) return *error = "cannot write " + *path, false;
  return true;
}

// The devices the host lists: what the SAN presents, for the local machine
// under both its own name and the empty name.
void publishDevices(Host& host) {
  std::vector<std::string> names = host.san()->deviceNames();
  host.state().devicesByHost[""] = names;
  host.state().devicesByHost[localHostName()] = names;
}

void installHooks(Host& host, const RunOptions& options, const std::string& logFile) {
  host.setRescanHook([&host](kxhost::ModelOSUtil&, const kxhost::RescanCall& call) {
    std::string error;
    if (!host.san()->refresh(call.names2, &error)) {
      HostLog log("kxsnap.san");
      log.write("kxsnap.san", -1, error.c_str());
    }
    publishDevices(host);
  });
  host.setRemoteHook([&host, options, logFile](kxhost::ModelOSUtil&, const std::string& proxy) {
    std::string error;
    host.flushRecordLogs();
    bool ok = runOnProxy(host, proxy, options.self, options.pluginPath, logFile, &error);
    if (!ok) {
      HostLog log("kxsnap.proxy");
      log.debugLvl(-1, "remote execution on proxy [%s] failed: %s", proxy.c_str(), error.c_str());
    }
    return ok;
  });
}

int callEntryPoint(const PluginApi& api, Host& host, const std::string& step, int identifyMode,
                   StepReport* report) {
  KXSO::SnapInfo** r = host.records();
  short n = host.count();
  if (step == "prepare") return report->entryPoint = "kxso_prepareDevices", api.prepareDevices(r, n, &host);
  if (step == "processvpd") return report->entryPoint = "kxso_processVPDInfo", api.processVPDInfo(r, n, &host);
  if (step == "prepare-remote")
    return report->entryPoint = "kxso_prepareRemoteSnaps", api.prepareRemoteSnaps(r, n, &host);
  if (step == "snap") {
    report->entryPoint = "kxso_snapDevices";
    int pre = api.preSnapDevices(r, n, &host);
    return pre != 0 ? pre : api.snapDevices(r, n, &host);
  }
  if (step == "postsnap") return report->entryPoint = "kxso_postSnapDevices", api.postSnapDevices(r, n, &host);
  if (step == "map") return report->entryPoint = "kxso_mapSnaps", api.mapSnaps(r, n, &host);
  if (step == "unmap") return report->entryPoint = "kxso_unmapSnaps", api.unmapSnaps(r, n, &host);
  if (step == "revert") return report->entryPoint = "kxso_revertSnaps", api.revertSnaps(r, n, &host);
  if (step == "recon") return report->entryPoint = "kxso_reconcileSnaps", api.reconcileSnaps(r, n, &host);
  if (step == "delete") return report->entryPoint = "kxso_deleteSnaps", api.deleteSnaps(r, n, &host);
  // identify
  report->entryPoint = "kxso_identifyDevices";
  KxsoDeviceMap devices{{kPureDeviceKind, host.san()->deviceNames()}};
  short mismatches = 0;
  int rc = api.identifyDevices(r, n, &devices, identifyMode, &mismatches, &host);
  report->note = "mode " + std::to_string(identifyMode) + ", mismatches " + std::to_string(mismatches);
  return rc;
}

int isSupported(const PluginApi& api, const std::string& device, StepReport* report) {
  report->entryPoint = "kxso_isSupported";
  char error[KXSO::ERROR_BUFFER_SIZE] = {0};
  int rc = api.isSupported(device.c_str(), 0, nullptr, error, KXSO::ERROR_BUFFER_LIMIT);
  report->note = device + (rc == 0 ? " is supported" : " is not supported");
  if (error[0] != '\0') report->note += ": " + std::string(error);
  return rc;
}

}  // namespace

const std::vector<std::string>& lifecycleSteps() {
  static const std::vector<std::string> steps{"prepare", "snap",  "postsnap", "map",
                                              "identify", "unmap", "recon",    "delete"};
  return steps;
}

bool isKnownStep(const std::string& step) {
  static const std::vector<std::string> others{"processvpd", "prepare-remote", "revert",
                                               "issupported"};
  const auto& l = lifecycleSteps();
  return std::find(l.begin(), l.end(), step) != l.end() ||
         std::find(others.begin(), others.end(), step) != others.end();
}

bool runStep(const PluginApi& api, const RunOptions& options, const std::string& jobFile,
             const std::string& step, const std::vector<std::string>& args, StepReport* report,
             std::string* error) {
  report->step = step;
  if (!isKnownStep(step)) return *error = "unknown step " + step, false;
  if (step == "issupported" && args.empty()) return *error = "issupported needs a DEVICE", false;
  Job job;
  if (!readJobFile(jobFile, &job, error)) return false;
  const std::string logFile = options.logFile.empty() ? job.path + ".log" : options.logFile;
  kxplatform::setLogFile(logFile);
  std::string registry;
  if (!writeRegistry(job, &registry, error)) return false;
  kxplatform::setRegistryFile(registry);

  JobState state;
  const std::string statePath = stateFilePath(job.path);
  if (!loadJobState(statePath, &state, error) && !error->empty()) return false;
  Host host;
  if (!host.setUp(job, state, "", error)) return false;
  if (!host.caFile().empty()) kxplatform::setHttpCaFile(host.caFile());
  publishDevices(host);
  installHooks(host, options, logFile);

  report->result = step == "issupported" ? isSupported(api, args.front(), report)
                                         : callEntryPoint(api, host, step, options.identifyMode, report);
  host.flushRecordLogs();
  JobState after = host.snapshotState();
  report->records = after.records;
  return saveJobState(statePath, after, error);
}

bool listDevices(const std::string& jobFile, std::vector<SanDevice>* devices, std::string* error) {
  Job job;
  if (!readJobFile(jobFile, &job, error)) return false;
  JobState state;
  if (!loadJobState(stateFilePath(job.path), &state, error) && !error->empty()) return false;
  state.records.clear();  // only the SAN is wanted
  job.devices.clear();
  Host host;
  if (!host.setUp(job, state, "", error)) return false;
  *devices = host.san()->devices();
  JobState after;
  if (!loadJobState(stateFilePath(job.path), &after, error) && !error->empty()) return false;
  after.deviceNames = host.san()->names();
  after.nextDevice = host.san()->nextDevice();
  return saveJobState(stateFilePath(job.path), after, error);
}

bool renumberDevice(const std::string& jobFile, const std::string& from, const std::string& to,
                    std::string* error) {
  JobState state;
  const std::string path = stateFilePath(jobFile);
  if (!loadJobState(path, &state, error)) {
    if (error->empty()) *error = "no step has run yet for " + jobFile;
    return false;
  }
  for (auto& [key, name] : state.deviceNames) {
    if (name == to) return *error = "a device is already named " + to, false;
  }
  for (auto& [key, name] : state.deviceNames) {
    if (name != from) continue;
    name = to;
    return saveJobState(path, state, error);
  }
  return *error = "no simulated device is named " + from, false;
}

bool showJob(const std::string& jobFile, StepReport* report, std::string* error) {
  report->step = "show";
  report->entryPoint = "none";
  report->result = 0;
  JobState state;
  if (!loadJobState(stateFilePath(jobFile), &state, error)) {
    if (!error->empty()) return false;
    report->note = "no step has run yet";
  }
  report->records = state.records;
  return true;
}

}  // namespace kxsnap
