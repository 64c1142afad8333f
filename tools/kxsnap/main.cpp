// kxsnap: the reference host. It loads the plug-in into its own process and
// calls its entry points as a backup host does, one job step at a time.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <string>
#include <vector>

#include "Demo.h"
#include "KXPlatformConfig.h"
#include "PluginLoader.h"
#include "Proxy.h"
#include "Steps.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: kxsnap [--plugin PATH] [--log FILE] [--json] [--mode N] COMMAND\n"
               "  version                 load the plug-in and print its version\n"
               "  run JOB STEP [ARGS]     one job step: prepare, processvpd, prepare-remote, snap,\n"
               "                          postsnap, map, identify, unmap, revert, recon, delete,\n"
               "                          issupported DEVICE\n"
               "  lifecycle JOB           prepare, snap, postsnap, map, identify, unmap, recon,\n"
               "                          delete; stops at the first failed step\n"
               "  demo                    the lifecycle against a freshly started simulator\n"
               "  show JOB                the job's records as they stand\n"
               "  devices JOB             the simulated devices the host sees\n"
               "  renumber JOB FROM TO    give a simulated device another name\n");
  return 2;
}

struct Args {
  kxsnap::RunOptions options;
  bool json = false;
  std::vector<std::string> rest;
};

bool parseArgs(int argc, char** argv, Args* a) {
  a->options.self = "/proc/self/exe";
  a->options.pluginPath = kxsnap::defaultPluginPath();
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto next = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    std::string value;
    if (arg == "--plugin") {
      if (!next(&a->options.pluginPath)) return false;
    } else if (arg == "--log") {
      if (!next(&a->options.logFile)) return false;
    } else if (arg == "--json") {
      a->json = true;
    } else if (arg == "--mode") {
      if (!next(&value)) return false;
      a->options.identifyMode = std::atoi(value.c_str());
    } else {
      a->rest.push_back(arg);
    }
  }
  return !a->rest.empty();
}

std::string selfPath() {
  char buf[4096] = {0};
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("kxsnap");
}

int runSteps(const kxsnap::PluginApi& api, const Args& a, const std::string& job,
             const std::vector<std::string>& steps, const std::vector<std::string>& stepArgs) {
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps.size() > 1) std::fprintf(stderr, "[%zu/%zu] %s\n", i + 1, steps.size(), steps[i].c_str());
    kxsnap::StepReport report;
    std::string error;
    if (!kxsnap::runStep(api, a.options, job, steps[i], stepArgs, &report, &error)) {
      std::fprintf(stderr, "kxsnap: %s\n", error.c_str());
      return 1;
    }
    kxsnap::printReport(report, a.json);
    if (report.result != 0) return report.result;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Args a;
  if (!parseArgs(argc, argv, &a)) return usage();
  a.options.self = selfPath();
  const std::string& command = a.rest[0];
  if (!a.options.logFile.empty()) kxplatform::setLogFile(a.options.logFile);

  if (command == "show" && a.rest.size() == 2) {
    kxsnap::StepReport report;
    std::string error;
    if (!kxsnap::showJob(a.rest[1], &report, &error)) {
      std::fprintf(stderr, "kxsnap: %s\n", error.c_str());
      return 1;
    }
    kxsnap::printReport(report, a.json);
    return 0;
  }
  if (command == "devices" && a.rest.size() == 2) {
    std::vector<kxsnap::SanDevice> devices;
    std::string error;
    if (!kxsnap::listDevices(a.rest[1], &devices, &error)) {
      std::fprintf(stderr, "kxsnap: %s\n", error.c_str());
      return 1;
    }
    for (const auto& d : devices)
      std::printf("%-14s %-10s %-22s %s lun %d via %s\n", d.name.c_str(), d.array.c_str(),
                  d.volume.c_str(), d.serial.c_str(), d.lun, d.port.c_str());
    return 0;
  }
  if (command == "renumber" && a.rest.size() == 4) {
    std::string error;
    if (!kxsnap::renumberDevice(a.rest[1], a.rest[2], a.rest[3], &error)) {
      std::fprintf(stderr, "kxsnap: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  kxsnap::PluginLoader loader;
  if (!loader.load(a.options.pluginPath)) {
    std::fprintf(stderr, "kxsnap: %s\n", loader.error().c_str());
    return 1;
  }
  const kxsnap::PluginApi& api = loader.api();
  if (command == "version") {
    short major = 0, minor = 0, revision = 0;
    api.version(&major, &minor, &revision);
    std::printf("plug-in %s\nversion %d.%d.%d, 18 entry points resolved\n",
                a.options.pluginPath.c_str(), major, minor, revision);
    return 0;
  }
  if (command == "proxy-serve") return kxsnap::serveProxyRequest(api);
  if (command == "demo") return kxsnap::runDemo(api, a.options, a.json);
  if (command == "run" && a.rest.size() >= 3)
    return runSteps(api, a, a.rest[1], {a.rest[2]}, {a.rest.begin() + 3, a.rest.end()});
  if (command == "lifecycle" && a.rest.size() == 2)
    return runSteps(api, a, a.rest[1], kxsnap::lifecycleSteps(), {});
  return usage();
}
