// arraysim: serves simulated FlashArray and FlashBlade arrays on loopback
// until SIGTERM or SIGINT.
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "scenario.h"
#include "simulator.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: arraysim (--scenario FILE | --default) --state-dir DIR\n"
               "Serves the arrays of the scenario on 127.0.0.1 over HTTPS and writes\n"
               "DIR/arrays.json when ready. Stops on SIGTERM or SIGINT.\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string scenario_file, state_dir;
  bool use_default = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--scenario" && i + 1 < argc) {
      scenario_file = argv[++i];
    } else if (a == "--state-dir" && i + 1 < argc) {
      state_dir = argv[++i];
    } else if (a == "--default") {
      use_default = true;
    } else {
      return usage();
    }
  }
  if (state_dir.empty() || use_default == !scenario_file.empty()) return usage();

  // Signals are taken synchronously by this thread; every server thread
  // inherits the blocked mask.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  try {
    nlohmann::json scenario;
    if (use_default) {
      scenario = arraysim::defaultScenario();
    } else {
      std::ifstream in(scenario_file);
      if (!in) throw std::runtime_error("cannot read " + scenario_file);
      scenario = nlohmann::json::parse(in);
    }
    arraysim::Simulator sim(scenario, state_dir);
    for (const auto& e : sim.endpoints()) {
      std::printf("arraysim: %s %s https://127.0.0.1:%d\n", e.name.c_str(), e.kind.c_str(), e.port);
    }
    std::fflush(stdout);
    int sig = 0;
    sigwait(&stop_signals, &sig);
    sim.stop();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "arraysim: %s\n", e.what());
    return 1;
  }
  return 0;
}
