// Side by side in one run:
//  1. kept-alive GETs of a small resource (GET array) against the simulator
//     and against a bare cpp-httplib HTTPS server answering a fixed body;
//  2. GET volume of an array with 50,000 volumes against the time
//     nlohmann-json alone needs to build that text.
// The summary prints the two ratios with the absolute figures.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <stdlib.h>

#include <chrono>
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

using Clock = std::chrono::steady_clock;

// Seconds for `n` GETs of `path`; throws on a failed request.
double timedGets(httplib::SSLClient& c, const char* path, const httplib::Headers& h, int n) {
  auto t0 = Clock::now();
  for (int i = 0; i < n; ++i) {
    auto res = c.Get(path, h);
    if (!res || res->status != 200) throw std::runtime_error(std::string("GET failed: ") + path);
    benchmark::DoNotOptimize(res->body.data());
  }
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// What the volume answer costs with nlohmann-json alone: the same objects
// built and written out.
double timedJsonBuild(const std::vector<arraysim::Volume>& vols) {
  auto t0 = Clock::now();
  json out = json::array();
  for (const auto& v : vols) {
    out.push_back({{"name", v.name},
                   {"serial", v.serial},
                   {"size", v.size},
                   {"created", arraysim::isoTime(v.created)},
                   {"source", nullptr}});
  }
  std::string text = out.dump();
  benchmark::DoNotOptimize(text.data());
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The two sides run interleaved in blocks so that both see the same load
// of the machine; the counters carry the per-request times and the ratio.
void BM_SmallGetSimulatorVsBare(benchmark::State& state) {
  auto sim = env().simClient();
  auto bare = env().client(env().bare_port, env().dir + "/bare-ca.pem");
  httplib::Headers cookie = {{"Cookie", env().cookie}};
  constexpr int kBlock = 100;
  double sim_s = 0, bare_s = 0;
  for (auto _ : state) {
    for (int done = 0; done < kGets; done += kBlock) {
      sim_s += timedGets(*sim, "/api/1.4/array", cookie, kBlock);
      bare_s += timedGets(*bare, "/api/1.4/array", {}, kBlock);
    }
  }
  double n = static_cast<double>(state.iterations()) * kGets;
  state.counters["sim_us"] = sim_s / n * 1e6;
  state.counters["bare_us"] = bare_s / n * 1e6;
  state.counters["ratio"] = bare_s / sim_s;  // simulator throughput / bare throughput
}

void BM_VolumeList50kSimulatorVsJson(benchmark::State& state) {
  auto sim = env().simClient();
  httplib::Headers cookie = {{"Cookie", env().cookie}};
  std::vector<arraysim::Volume> vols;
  for (int i = 0; i < kVolumes; ++i) {
    vols.push_back({"vol-" + std::to_string(i), "0123456789ABCDEF" + std::to_string(10000000 + i), "",
                    10737418240LL, arraysim::nowSeconds()});
  }
  double sim_s = 0, json_s = 0;
  for (auto _ : state) {
    sim_s += timedGets(*sim, "/api/1.4/volume", cookie, 1);
    json_s += timedJsonBuild(vols);
  }
  double n = static_cast<double>(state.iterations());
  state.counters["sim_ms"] = sim_s / n * 1e3;
  state.counters["json_ms"] = json_s / n * 1e3;
  state.counters["ratio"] = sim_s / json_s;
}

BENCHMARK(BM_SmallGetSimulatorVsBare)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VolumeList50kSimulatorVsJson)->Iterations(10)->Repetitions(3)->Unit(benchmark::kMillisecond);

// Keeps the median counters to print the ratios after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs) {
      if (r.error_occurred || r.aggregate_name != "median") continue;
      for (const auto& [k, c] : r.counters) counters_[r.run_name.function_name + "/" + k] = c.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double at(const std::string& key) const {
    auto it = counters_.find(key);
    return it == counters_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> counters_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  const std::string g = "BM_SmallGetSimulatorVsBare/", v = "BM_VolumeList50kSimulatorVsJson/";
  std::cout << "\nSummary (medians of 3; " << kGets << " kept-alive GETs per side; " << kVolumes
            << " volumes)\n"
            << "  small GET: simulator " << rep.at(g + "sim_us") << " us/req, bare cpp-httplib "
            << rep.at(g + "bare_us") << " us/req, throughput ratio simulator/bare "
            << rep.at(g + "ratio") << " (target >= 0.5)\n"
            << "  GET volume: simulator " << rep.at(v + "sim_ms") << " ms, nlohmann-json alone "
            << rep.at(v + "json_ms") << " ms, ratio " << rep.at(v + "ratio") << " (target <= 3)\n";
  benchmark::Shutdown();
  return 0;
}
