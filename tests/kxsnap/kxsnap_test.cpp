// End-to-end tests of the reference host: the real kxsnap binary, the real
// plug-in (or a small test plug-in) and, where needed, the simulator.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "SimClient.h"
#include "Simulator.h"

namespace {

using nlohmann::json;

struct Result {
  int code = -1;
  std::string output;
};

Result run(const std::string& command) {
  Result r;
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  int status = pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string kxsnap(const std::string& args) { return std::string(KXSNAP_BIN) + " " + args; }

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/kxsnap-test-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }
  std::string write(const std::string& name, const json& j) const {
    std::string file = path_ + "/" + name;
    std::ofstream(file) << j.dump(2);
    return file;
  }

 private:
  std::string path_;
};

json readState(const std::string& job) {
  std::ifstream in(job + ".state.json");
  return json::parse(in);
}

TEST(KxsnapLoading, ResolvesEveryEntryPointOfThePlugin) {
  Result r = run(kxsnap("version"));
  EXPECT_EQ(r.code, 0) << r.output;
  EXPECT_NE(r.output.find("version 1.0.1, 18 entry points resolved"), std::string::npos) << r.output;
}

TEST(KxsnapLoading, NamesAMissingEntryPoint) {
  Result r = run(kxsnap(std::string("--plugin ") + MISSING_PLUGIN + " version"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.output.find("no entry point kxso_identifyDevices"), std::string::npos) << r.output;
}

TEST(KxsnapLoading, ReportsAPluginThatCannotBeLoaded) {
  Result r = run(kxsnap("--plugin /nonexistent/libnothing.so version"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.output.find("cannot load plug-in /nonexistent/libnothing.so"), std::string::npos);
}

TEST(KxsnapSteps, AJobWithoutDevicesFailsValidationAndKeepsNoRecords) {
  TempDir dir;
  std::string job = dir.write("job.json", {{"devices", json::array()}});
  for (const char* step : {"prepare", "snap", "postsnap", "map", "unmap", "delete"}) {
    Result r = run(kxsnap("--json run " + job + " " + step));
    EXPECT_EQ(r.code, 1) << step << ": " << r.output;
    EXPECT_TRUE(readState(job)["records"].empty()) << step;
  }
}

TEST(KxsnapSteps, IsSupportedNamesADeviceThatDoesNotExist) {
  TempDir dir;
  std::string job = dir.write("job.json", json::object());
  Result r = run(kxsnap("run " + job + " issupported /dev/kx-no-such-device"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.output.find("Failed to get KxDevice for device[/dev/kx-no-such-device]"),
            std::string::npos)
      << r.output;
}

TEST(KxsnapSteps, UnknownStepIsAnError) {
  TempDir dir;
  std::string job = dir.write("job.json", json::object());
  Result r = run(kxsnap("run " + job + " explode"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.output.find("unknown step explode"), std::string::npos);
}

class KxsnapProxy : public ::testing::Test {
 protected:
  std::string job() const {
    return dir_.write("job.json", {{"devices", {{{"source", "/dev/sdb"}}}},
                                   {"proxies", {{{"name", "px1"}}}}});
  }
  TempDir dir_;
};

TEST_F(KxsnapProxy, MergesBackWhatTheProxyChanged) {
  std::string file = job();
  Result r = run(kxsnap(std::string("--plugin ") + TEST_PLUGIN + " run " + file + " snap"));
  ASSERT_EQ(r.code, 0) << r.output;
  json record = readState(file)["records"][0];
  EXPECT_EQ(record["status"], 5);
  EXPECT_EQ(record["metadata"]["6"], "vol1|SERIAL-FROM-PROXY");
  EXPECT_EQ(record["metadata"]["60"], "0");
  EXPECT_EQ(record["metadata"]["61"], "3");  // set before the call, untouched by the proxy
}

TEST_F(KxsnapProxy, AProxyThatDiesChangesNothing) {
  std::string file = job();
  Result r = run("KXTEST_PROXY_DIES=1 " +
                 kxsnap(std::string("--plugin ") + TEST_PLUGIN + " run " + file + " snap"));
  EXPECT_EQ(r.code, 1) << r.output;
  json record = readState(file)["records"][0];
  EXPECT_EQ(record["status"], 0);
  EXPECT_FALSE(record["metadata"].contains("6"));
  EXPECT_FALSE(record["metadata"].contains("60"));
}

// One simulator for the SAN tests.
class KxsnapSan : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    state_ = new TempDir();
    sim_ = new kxsnap::SimulatorProcess();
    std::string error;
    ASSERT_TRUE(sim_->start(ARRAYSIM_BIN, {"--default"}, state_->path(), &error)) << error;
    ASSERT_TRUE(kxsnap::readArraysFile(sim_->arraysFile(), &arrays_, &error)) << error;
  }
  static void TearDownTestSuite() {
    delete sim_;
    delete state_;
  }
  const kxsnap::SimArray& array(const std::string& name) const {
    for (const auto& a : arrays_.arrays)
      if (a.name == name) return a;
    throw std::runtime_error("no array " + name);
  }
  std::string job() const {
    return dir_.write("job.json", {{"simulator", sim_->arraysFile()},
                                   {"host", {{"name", "mount01"},
                                             {"iscsi", {"iqn.1994-05.com.redhat:mount01"}}}}});
  }

  static TempDir* state_;
  static kxsnap::SimulatorProcess* sim_;
  static kxsnap::SimArrays arrays_;
  TempDir dir_;
};
TempDir* KxsnapSan::state_ = nullptr;
kxsnap::SimulatorProcess* KxsnapSan::sim_ = nullptr;
kxsnap::SimArrays KxsnapSan::arrays_;

TEST_F(KxsnapSan, AConnectedVolumeAppearsAsADeviceAndGoesAwayAfterRemoval) {
  std::string file = job();
  Result before = run(kxsnap("devices " + file));
  ASSERT_EQ(before.code, 0) << before.output;
  EXPECT_EQ(before.output.find("logs01"), std::string::npos) << before.output;

  std::string error;
  ASSERT_TRUE(kxsnap::connectVolumeToHost(array("fa-east"), arrays_.caFile, "mount01", "logs01",
                                          &error))
      << error;
  Result during = run(kxsnap("devices " + file));
  ASSERT_EQ(during.code, 0) << during.output;
  EXPECT_NE(during.output.find("/dev/kxsd1     fa-east    logs01"), std::string::npos)
      << during.output;
  EXPECT_NE(during.output.find("via iqn.2010-06.com.purestorage:flasharray.fa-east"),
            std::string::npos)
      << during.output;
  EXPECT_EQ(readState(file)["device_names"].size(), 1u);

  // The plug-in inquires the virtual LUN for real.
  Result supported = run(kxsnap("run " + file + " issupported /dev/kxsd1"));
  EXPECT_EQ(supported.code, 0) << supported.output;
  EXPECT_NE(supported.output.find("/dev/kxsd1 is supported"), std::string::npos);

  // The name stays the same from step to step, and a renumbered device keeps its new name.
  ASSERT_EQ(run(kxsnap("renumber " + file + " /dev/kxsd1 /dev/kxsd9")).code, 0);
  EXPECT_NE(run(kxsnap("devices " + file)).output.find("/dev/kxsd9"), std::string::npos);

  ASSERT_TRUE(kxsnap::disconnectVolumeFromHost(array("fa-east"), arrays_.caFile, "mount01",
                                               "logs01", &error))
      << error;
  Result after = run(kxsnap("devices " + file));
  ASSERT_EQ(after.code, 0) << after.output;
  EXPECT_EQ(after.output.find("logs01"), std::string::npos) << after.output;
}

}  // namespace
