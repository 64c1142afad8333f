// Parse throughput of jsonxx, nlohmann::json and RapidJSON on one volume
// list, the time to find a volume by serial after parsing, and json() of
// host documents of growing size. Ends with the jsonxx / nlohmann ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <string>
#include <vector>

#include "array_listing.h"
#include "jsonxx.h"

namespace {

constexpr int kVolumes = 50000;
constexpr int kHosts = 2000;

const std::string& volumes() {
  static const std::string text = kxbench::volumeList(kVolumes);
  return text;
}

const std::string& wantedSerial() {
  static const std::string serial = kxbench::volumeSerial(kVolumes * 2 / 3);
  return serial;
}

void BM_ParseVolumes_jsonxx(benchmark::State& state) {
  for (auto _ : state) {
    jsonxx::Array a;
    if (!a.parse(volumes())) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(a);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * volumes().size()));
}

void BM_ParseVolumes_nlohmann(benchmark::State& state) {
  for (auto _ : state) {
    nlohmann::json j = nlohmann::json::parse(volumes());
    benchmark::DoNotOptimize(j);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * volumes().size()));
}

void BM_ParseVolumes_RapidJSON(benchmark::State& state) {
  for (auto _ : state) {
    rapidjson::Document d;
    d.Parse(volumes().c_str(), volumes().size());
    if (d.HasParseError()) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(d);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * volumes().size()));
}

void BM_FindSerial_jsonxx(benchmark::State& state) {
  jsonxx::Array a;
  a.parse(volumes());
  for (auto _ : state) {
    const jsonxx::Object* found = nullptr;
    for (const jsonxx::Value& v : a.values()) {
      const jsonxx::Object& o = v.get<jsonxx::Object>();
      if (o.has<jsonxx::String>("serial") && o.get<jsonxx::String>("serial") == wantedSerial()) {
        found = &o;
        break;
      }
    }
    if (found == nullptr) state.SkipWithError("not found");
    benchmark::DoNotOptimize(found);
  }
}

void BM_FindSerial_nlohmann(benchmark::State& state) {
  const nlohmann::json j = nlohmann::json::parse(volumes());
  for (auto _ : state) {
    const nlohmann::json* found = nullptr;
    for (const nlohmann::json& v : j) {
      auto it = v.find("serial");
      if (it != v.end() && it->is_string() && it->get_ref<const std::string&>() == wantedSerial()) {
        found = &v;
        break;
      }
    }
    if (found == nullptr) state.SkipWithError("not found");
    benchmark::DoNotOptimize(found);
  }
}

void BM_FindSerial_RapidJSON(benchmark::State& state) {
  rapidjson::Document d;
  d.Parse(volumes().c_str(), volumes().size());
  for (auto _ : state) {
    const rapidjson::Value* found = nullptr;
    for (const rapidjson::Value& v : d.GetArray()) {
      auto it = v.FindMember("serial");
      if (it != v.MemberEnd() && it->value.IsString() &&
          wantedSerial().compare(0, std::string::npos, it->value.GetString(),
                                 it->value.GetStringLength()) == 0) {
        found = &v;
        break;
      }
    }
    if (found == nullptr) state.SkipWithError("not found");
    benchmark::DoNotOptimize(found);
  }
}

// json() of {"hosts": [...]} for a growing number of hosts.
void BM_WriteHosts_jsonxx(benchmark::State& state) {
  jsonxx::Array hosts;
  hosts.parse(kxbench::hostList(static_cast<int>(state.range(0))));
  jsonxx::Object doc;
  doc.import("hosts", hosts);
  size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = doc.json();
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// Repeated and interleaved (see main) so that drift on a shared machine
// hits all three alike; the summary takes the median.
BENCHMARK(BM_ParseVolumes_jsonxx)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_ParseVolumes_nlohmann)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_ParseVolumes_RapidJSON)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_FindSerial_jsonxx)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindSerial_nlohmann)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindSerial_RapidJSON)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteHosts_jsonxx)
    ->Arg(kHosts / 4)->Arg(kHosts / 2)->Arg(kHosts)->Arg(kHosts * 2)->Arg(kHosts * 4)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// Keeps the CPU time per iteration of every run for the closing summary
// (CPU time, since wall time on a shared machine counts other work too).
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
      seconds_[run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args)]
          .push_back(run.cpu_accumulated_time / static_cast<double>(run.iterations));
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Median over the repetitions; 0 when the benchmark did not run.
  double seconds(const std::string& name) const {
    auto it = seconds_.find(name);
    if (it == seconds_.end()) return 0;
    std::vector<double> v = it->second;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  }

 private:
  std::map<std::string, std::vector<double>> seconds_;
};

void printSummary(const SummaryReporter& r) {
  const double mb = static_cast<double>(volumes().size()) / 1e6;
  const double jx = r.seconds("BM_ParseVolumes_jsonxx");
  const double nl = r.seconds("BM_ParseVolumes_nlohmann");
  const double rj = r.seconds("BM_ParseVolumes_RapidJSON");
  if (jx <= 0 || nl <= 0 || rj <= 0) return;
  std::printf("\nvolume list: %d objects, %.2f MB\n", kVolumes, mb);
  std::printf("parse MB/s: jsonxx %.1f, nlohmann %.1f, RapidJSON %.1f\n", mb / jx, mb / nl, mb / rj);
  std::printf("ratio jsonxx / nlohmann: %.2f\n", nl / jx);
  std::printf("ratio jsonxx / RapidJSON: %.2f\n", rj / jx);
  std::printf("json() time per host:");
  for (int n : {kHosts / 4, kHosts / 2, kHosts, kHosts * 2, kHosts * 4}) {
    const double t = r.seconds("BM_WriteHosts_jsonxx/" + std::to_string(n));
    if (t > 0) std::printf(" %d hosts %.0f ns;", n, t / n * 1e9);
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  // Interleave the repetitions of the libraries unless told otherwise.
  std::vector<char*> args(argv, argv + argc);
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  // The texts are made before timing starts.
  volumes();
  wantedSerial();
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  printSummary(reporter);
  return 0;
}
