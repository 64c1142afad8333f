// One client against the simulated FlashArray: the same GET carried over
// one kept-alive TLS connection, and over a fresh connection each time.
// Compare the requests_per_s counters of one run.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "KXLibCurl.h"
#include "KXPlatformConfig.h"
#include "ModelOSUtil.h"
#include "ModelSnapInfo.h"
#include "PUREStorageAPI.h"
#include "SimProcess.h"

namespace {

kxtest::SimProcess& sim() {
  static kxtest::SimProcess* s = [] {
    auto* p = new kxtest::SimProcess();
    kxplatform::setHttpCaFile(p->caFile());
    kxplatform::setLogLevel(-1);  // the bench measures requests, not logging
    return p;
  }();
  return *s;
}

std::string versionUrl() { return "https://" + sim().address("fa-east") + "/api/api_version"; }

bool getOnce(KXLibCurl& http, const std::string& url) {
  return http.KXLibCurlSendHttpReq(HTTP_REQ_GET, url, nullptr, 0, false, nullptr);
}

void count(benchmark::State& state) {
  state.counters["requests_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_KeepAlive(benchmark::State& state) {
  if (!sim().ok()) return state.SkipWithError("simulator did not start");
  const std::string url = versionUrl();
  KXLibCurl http;
  http.KXLibCurlInit("", true, true, nullptr);
  for (auto _ : state) {
    if (!getOnce(http, url)) return state.SkipWithError(http.GetLastError().c_str());
  }
  count(state);
}

void BM_FreshConnectionPerRequest(benchmark::State& state) {
  if (!sim().ok()) return state.SkipWithError("simulator did not start");
  const std::string url = versionUrl();
  for (auto _ : state) {
    KXLibCurl http;
    http.KXLibCurlInit("", true, true, nullptr);
    if (!getOnce(http, url)) return state.SkipWithError(http.GetLastError().c_str());
  }
  count(state);
}

// The whole client stack on one session: transport, headers, JSON answer.
void BM_ClientSessionKeepAlive(benchmark::State& state) {
  if (!sim().ok()) return state.SkipWithError("simulator did not start");
  kxhost::ModelSnapInfo logger;
  kxhost::ModelOSUtil util;
  PureStorageAPI client(&logger);
  client.initialize(sim().address("fa-east"), "pureuser", sim().token("fa-east"), &util, false);
  if (!client.connect()) return state.SkipWithError(client.getErrorStr().c_str());
  std::string name;
  for (auto _ : state) {
    if (!client.getArrayDisplayName(name)) return state.SkipWithError(client.getErrorStr().c_str());
  }
  count(state);
}

BENCHMARK(BM_KeepAlive)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_FreshConnectionPerRequest)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_ClientSessionKeepAlive)->MinTime(2.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
