// The real arraysim binary: start with the demo scenario, wait for
// arrays.json, answer one request, stop cleanly on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "SimClient.h"

namespace simtest {
namespace {

TEST(BinaryTest, DefaultScenarioStartsServesAndStops) {
  char tmpl[] = "/tmp/arraysim-bin-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string dir = tmpl;
  std::string out = dir + "/stdout.txt";
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    FILE* f = freopen(out.c_str(), "w", stdout);
    (void)f;
    execl(ARRAYSIM_BIN, ARRAYSIM_BIN, "--default", "--state-dir", dir.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string arrays = dir + "/arrays.json";
  for (int i = 0; i < 300 && !std::filesystem::exists(arrays); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(std::filesystem::exists(arrays));
  nlohmann::json j = nlohmann::json::parse(std::ifstream(arrays));
  ASSERT_EQ(j["arrays"].size(), 3u);
  const auto& fa = j["arrays"][0];
  std::string address = fa["address"];
  Client c(j["ca"], std::stoi(address.substr(address.find(':') + 1)));
  EXPECT_EQ(c.faLogin(fa["users"][0]["api_token"]).status, 200);
  EXPECT_EQ(c.send("GET", "/api/1.4/array").json()["array_name"], fa["name"]);

  ASSERT_EQ(kill(pid, SIGTERM), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::ifstream lines(out);
  std::string first;
  std::getline(lines, first);
  EXPECT_EQ(first, "arraysim: fa-east flasharray https://" + address);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace simtest
