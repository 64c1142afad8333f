#include "Demo.h"

#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "SimClient.h"
#include "Simulator.h"

namespace kxsnap {
namespace {

// The demo host plays backup01 of the default scenario and backs up two
// volumes of fa-east, which an admin connects to it first.
constexpr const char* kHostName = "backup01";
const std::vector<std::string> kVolumes{"db01", "db02"};
constexpr const char* kArray = "fa-east";

nlohmann::json demoJob() {
  nlohmann::json devices = nlohmann::json::array();
  for (const auto& v : kVolumes) devices.push_back({{"volume", {{"array", kArray}, {"name", v}}}});
  return {{"simulator", "sim/arrays.json"},
          {"operation_id", 7},
          {"mount_id", 3},
          {"host",
           {{"name", kHostName},
            {"fc", {"10:00:00:00:c9:a0:00:01"}},
            {"iscsi", {"iqn.1994-05.com.redhat:backup01"}}}},
          {"registry",
           {{"~Ferrowin/nPureStorPostSnapRetryCount", 3},
            {"~Ferrowin/nPureStorPostSnapRetryInterval", 1}}},
          {"options",
           {{"SMCONFIG_NAME_MOUNT_RETRY_COUNT", 2}, {"SMCONFIG_NAME_MOUNT_RETRY_INTERVAL_IN_SEC", 1}}},
          {"devices", devices}};
}

bool connectSources(const std::string& arraysFile, std::string* error) {
  SimArrays sim;
  if (!readArraysFile(arraysFile, &sim, error)) return false;
  for (const SimArray& a : sim.arrays) {
    if (a.name != kArray) continue;
    for (const auto& v : kVolumes)
      if (!connectVolumeToHost(a, sim.caFile, kHostName, v, error)) return false;
    return true;
  }
  *error = std::string("the simulator has no array ") + kArray;
  return false;
}

std::string readFrom(const std::string& file, std::streamoff offset) {
  std::ifstream in(file);
  in.seekg(offset);
  std::stringstream rest;
  rest << in.rdbuf();
  return rest.str();
}

std::streamoff sizeOf(const std::string& file) {
  std::ifstream in(file, std::ios::ate);
  return in ? static_cast<std::streamoff>(in.tellg()) : 0;
}

struct StepOutcome {
  std::string step;
  int result = 1;
  bool unavailable = false;  // the plug-in said its driver is not built
};

// The device names under which the host sees a volume of the demo array.
bool listDevicesOf(const std::string& jobFile, const std::string& volume,
                   std::vector<std::string>* names, std::string* error) {
  std::vector<SanDevice> devices;
  if (!listDevices(jobFile, &devices, error)) return false;
  for (const SanDevice& d : devices)
    if (d.array == kArray && d.volume == volume) names->push_back(d.name);
  return true;
}

}  // namespace

void printReport(const StepReport& report, bool json) {
  if (json) {
    std::printf("%s\n", reportJson(report).c_str());
  } else {
    printTable(stdout, report);
    std::printf("\n");
  }
  std::fflush(stdout);
}

int runDemo(const PluginApi& api, const RunOptions& base, bool json) {
  char tmpl[] = "/tmp/kxsnap-demo-XXXXXX";
  if (mkdtemp(tmpl) == nullptr) {
    std::fprintf(stderr, "kxsnap: cannot make a demo folder\n");
    return 1;
  }
  const std::string dir = tmpl;
  const std::string stateDir = dir + "/sim";
  std::string error;
  SimulatorProcess sim;
  std::fprintf(stderr, "demo: starting the array simulator in %s\n", stateDir.c_str());
  if (system(("mkdir -p '" + stateDir + "'").c_str()) != 0 ||
      !sim.start(defaultSimulatorPath(), {"--default"}, stateDir, &error) ||
      !connectSources(sim.arraysFile(), &error)) {
    std::fprintf(stderr, "kxsnap: %s\n", error.c_str());
    return 1;
  }
  const std::string jobFile = dir + "/job.json";
  std::ofstream(jobFile) << demoJob().dump(2) << "\n";
  RunOptions options = base;
  if (options.logFile.empty()) options.logFile = dir + "/kxsnap.log";

  // The device test first: the plug-in inquires each source device.
  std::vector<std::string> deviceTests;
  for (const auto& v : kVolumes) {
    StepReport report;
    std::vector<std::string> devices;
    if (!listDevicesOf(jobFile, v, &devices, &error) || devices.empty()) {
      std::fprintf(stderr, "kxsnap: source volume %s is not visible: %s\n", v.c_str(), error.c_str());
      return 1;
    }
    if (!runStep(api, options, jobFile, "issupported", {devices.front()}, &report, &error)) {
      std::fprintf(stderr, "kxsnap: %s\n", error.c_str());
      return 1;
    }
    printReport(report, json);
    deviceTests.push_back(report.note);
  }

  // Every step runs, so the summary shows the whole lifecycle even where a
  // step's driver is not built yet.
  std::vector<StepOutcome> outcomes;
  int firstFailure = 0;
  const auto& steps = lifecycleSteps();
  for (size_t i = 0; i < steps.size(); ++i) {
    std::fprintf(stderr, "[%zu/%zu] %s\n", i + 1, steps.size(), steps[i].c_str());
    const std::streamoff logStart = sizeOf(options.logFile);
    StepReport report;
    if (!runStep(api, options, jobFile, steps[i], {}, &report, &error)) {
      std::fprintf(stderr, "kxsnap: %s\n", error.c_str());
      return 1;
    }
    printReport(report, json);
    StepOutcome o{steps[i], report.result, false};
    o.unavailable = readFrom(options.logFile, logStart).find("is not available in this build") !=
                    std::string::npos;
    outcomes.push_back(o);
    if (report.result != 0 && firstFailure == 0) firstFailure = report.result;
  }
  const bool simStopped = sim.stop();
  std::printf("summary (job %s, log %s):\n", jobFile.c_str(), options.logFile.c_str());
  for (const std::string& t : deviceTests) std::printf("  device test: %s\n", t.c_str());
  for (const StepOutcome& o : outcomes) {
    const char* what = o.result == 0 ? "ok" : o.result == 2 ? "partial" : "FAILED";
    std::printf("  %-9s %s%s\n", o.step.c_str(), what,
                o.unavailable ? " (not yet available in this plug-in)" : "");
  }
  std::printf("  simulator %s\n", simStopped ? "stopped cleanly" : "did not stop cleanly");
  return firstFailure;
}

}  // namespace kxsnap
