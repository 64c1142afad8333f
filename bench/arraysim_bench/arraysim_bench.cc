// Side by side in one run:
//  1. kept-alive GETs of a small resource (GET array) against the simulator
//     and against a bare cpp-httplib HTTPS server answering a fixed body;
//  2. GET volume of an array with 50,000 volumes against the time
//     nlohmann-json alone needs to build that text.
// The summary prints the two ratios with the absolute figures.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <stdlib.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <thread>

#include "certs.h"
#include "model.h"
#include "simulator.h"

namespace {

using nlohmann::json;

constexpr int kGets = 2000;
constexpr int kVolumes = 50000;
constexpr char kToken[] = "bench-token";

json benchScenario() {
  json vols = json::array();
  for (int i = 0; i < kVolumes; ++i) {
    vols.push_back({{"name", "vol-" + std::to_string(i)}, {"size", 10737418240LL}});
  }
  return {{"arrays",
           {{{"name", "fa-bench"},
             {"kind", "flasharray"},
             {"id", "0123456789abcdef-bench"},
             {"users", {{{"name", "pureuser"}, {"api_token", kToken}}}},
             {"volumes", vols}}}}};
}

struct Env {
  std::string dir;
  std::unique_ptr<arraysim::Simulator> sim;
  std::unique_ptr<httplib::SSLServer> bare;
  std::thread bare_thread;
  int bare_port = 0;
  std::string cookie;
  std::string array_body;

  Env() {
    char tmpl[] = "/tmp/arraysim-bench-XXXXXX";
    dir = mkdtemp(tmpl);
    sim = std::make_unique<arraysim::Simulator>(benchScenario(), dir);
    arraysim::KeyPair ca = arraysim::makeCa("bench CA");
    arraysim::KeyPair kp = arraysim::makeServerCert(ca, "bare");
    arraysim::writeFileAtomic(dir + "/bare-ca.pem", arraysim::certPem(ca.cert.get()), 0644);
    bare = std::make_unique<httplib::SSLServer>(kp.cert.get(), kp.key.get());
    bare->set_tcp_nodelay(true);
    bare->set_keep_alive_max_count(100000);
    bare->set_keep_alive_timeout(120);
    array_body = json({{"array_name", "fa-bench"},
                       {"id", "0123456789abcdef-bench"},
                       {"version", "6.1.8"},
                       {"revision", "202401010000+arraysim"}})
                     .dump();
    bare->Get("/api/1.4/array", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(array_body, "application/json");
    });
    bare_port = bare->bind_to_any_port("127.0.0.1");
    bare_thread = std::thread([this] { bare->listen_after_bind(); });
  }

  ~Env() {
    bare->stop();
    bare_thread.join();
    sim->stop();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  std::unique_ptr<httplib::SSLClient> client(int port, const std::string& ca) {
    auto c = std::make_unique<httplib::SSLClient>("127.0.0.1", port);
    c->set_ca_cert_path(ca.c_str());
    c->enable_server_certificate_verification(true);
    c->set_keep_alive(true);
    c->set_tcp_nodelay(true);
    c->set_read_timeout(60);
    return c;
  }

  std::unique_ptr<httplib::SSLClient> simClient() {
    auto c = client(sim->endpoints()[0].port, sim->caPath());
    auto res = c->Post("/api/1.4/auth/session", std::string("{ \"api_token\" : \"") + kToken + "\" }",
                       "application/json");
    if (!res || res->status != 200) throw std::runtime_error("bench login failed");
    std::string set = res->get_header_value("Set-Cookie");
    cookie = set.substr(0, set.find(';'));
    return c;
  }
};

Env& env() {
  static Env e;
  return e;
}

void getLoop(benchmark::State& state, httplib::SSLClient& c, const char* path,
             const httplib::Headers& h) {
  size_t bytes = 0;
  for (auto _ : state) {
    auto res = c.Get(path, h);
    if (!res || res->status != 200) {
      state.SkipWithError("request failed");
      return;
    }
    bytes += res->body.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_SimulatorSmallGet(benchmark::State& state) {
  auto c = env().simClient();
  getLoop(state, *c, "/api/1.4/array", {{"Cookie", env().cookie}});
}

void BM_BareHttplibSmallGet(benchmark::State& state) {
  auto c = env().client(env().bare_port, env().dir + "/bare-ca.pem");
  getLoop(state, *c, "/api/1.4/array", {});
}

void BM_SimulatorVolumeList50k(benchmark::State& state) {
  auto c = env().simClient();
  getLoop(state, *c, "/api/1.4/volume", {{"Cookie", env().cookie}});
}

// What the answer costs with nlohmann-json alone: the same objects built and
// written out.
void BM_JsonOnlyVolumeList50k(benchmark::State& state) {
  std::vector<arraysim::Volume> vols;
  for (int i = 0; i < kVolumes; ++i) {
    vols.push_back({"vol-" + std::to_string(i), "0123456789ABCDEF" + std::to_string(10000000 + i), "",
                    10737418240LL, arraysim::nowSeconds()});
  }
  size_t bytes = 0;
  for (auto _ : state) {
    json out = json::array();
    for (const auto& v : vols) {
      out.push_back({{"name", v.name},
                     {"serial", v.serial},
                     {"size", v.size},
                     {"created", arraysim::isoTime(v.created)},
                     {"source", nullptr}});
    }
    std::string text = out.dump();
    bytes += text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

BENCHMARK(BM_SimulatorSmallGet)->Iterations(kGets)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_BareHttplibSmallGet)->Iterations(kGets)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_SimulatorVolumeList50k)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JsonOnlyVolumeList50k)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps the per-iteration times to print the ratios after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs) {
      if (!r.error_occurred) per_iter_[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double at(const std::string& name) const {
    for (const auto& [k, v] : per_iter_) {
      if (k.rfind(name, 0) == 0) return v;
    }
    return 0;
  }

 private:
  std::map<std::string, double> per_iter_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  double sim_get = rep.at("BM_SimulatorSmallGet"), bare_get = rep.at("BM_BareHttplibSmallGet");
  double sim_list = rep.at("BM_SimulatorVolumeList50k"), json_list = rep.at("BM_JsonOnlyVolumeList50k");
  std::cout << "\nSummary (" << kGets << " kept-alive GETs; " << kVolumes << " volumes)\n";
  if (sim_get > 0 && bare_get > 0) {
    std::cout << "  small GET: simulator " << sim_get << " us/req, bare cpp-httplib " << bare_get
              << " us/req, throughput ratio simulator/bare = " << bare_get / sim_get
              << " (target >= 0.5)\n";
  }
  if (sim_list > 0 && json_list > 0) {
    std::cout << "  GET volume: simulator " << sim_list << " ms, nlohmann-json alone " << json_list
              << " ms, ratio = " << sim_list / json_list << " (target <= 3)\n";
  }
  benchmark::Shutdown();
  return 0;
}
