// Connection handling: several clients at once, long idle kept-alive
// connections, and the bound on concurrent connections.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>

#include "SimClient.h"

namespace simtest {
namespace {

using nlohmann::json;

TEST(ConnectionsTest, SeveralClientsAtOnceKeepTheStateConsistent) {
  SimFixture sim;
  constexpr int kClients = 6, kSnaps = 15;
  std::vector<std::thread> threads;
  std::vector<int> failures(kClients, 0);
  for (int t = 0; t < kClients; ++t) {
    threads.emplace_back([&, t] {
      auto c = sim.loggedIn("fa1");
      for (int i = 0; i < kSnaps; ++i) {
        std::string body = R"({"snap":true,"source":["v1","v2"],"suffix":"c)" + std::to_string(t) +
                           "-" + std::to_string(i) + "\"}";
        if (c->send("POST", "/api/1.4/volume", body).status != 200) ++failures[t];
        if (c->send("GET", "/api/1.4/volume/v1?snap=true").status != 200) ++failures[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kClients; ++t) EXPECT_EQ(failures[t], 0) << "client " << t;
  auto c = sim.loggedIn("fa1");
  json snaps = c->send("GET", "/api/1.4/volume?snap=true").json();
  ASSERT_EQ(snaps.size(), static_cast<size_t>(2 * kClients * kSnaps));
  std::set<std::string> serials;
  for (const auto& s : snaps) serials.insert(s["serial"]);
  EXPECT_EQ(serials.size(), snaps.size());
  EXPECT_EQ(c->send("GET", "/sim/v1/stats").json()["connections"], kClients + 1);
}

TEST(ConnectionsTest, IdleKeptAliveConnectionOutlivesShortTimeouts) {
  SimFixture sim;
  auto c = sim.loggedIn("fa1");
  // Longer than cpp-httplib's default keep-alive time-out of 5 s.
  std::this_thread::sleep_for(std::chrono::seconds(6));
  EXPECT_EQ(c->send("GET", "/api/1.4/array").status, 200);
  EXPECT_EQ(c->send("GET", "/sim/v1/stats").json()["connections"], 1);
}

TEST(ConnectionsTest, ConnectionsBeyondTheBoundAreRefused) {
  arraysim::Limits limits;
  limits.workers = 2;
  limits.max_waiting = 1;
  char tmpl[] = "/tmp/arraysim-limit-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string dir = tmpl;
  {
    arraysim::Simulator sim(SimFixture::testScenario(), dir, limits);
    int port = sim.endpoints()[0].port;
    // Two kept-alive clients hold both workers.
    Client a(sim.caPath(), port), b(sim.caPath(), port);
    ASSERT_EQ(a.faLogin("tok-fa1").status, 200);
    ASSERT_EQ(b.faLogin("tok-fa1").status, 200);
    // A third waits for a worker and gives up.
    std::thread waiter([&] {
      httplib::SSLClient w("127.0.0.1", port);
      w.set_ca_cert_path(sim.caPath().c_str());
      w.set_connection_timeout(1);
      w.set_read_timeout(1);
      auto res = w.Get("/api/api_version");
      EXPECT_FALSE(res);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // A fourth is over the bound and closed at once (no time-out set).
    Client d(sim.caPath(), port);
    EXPECT_EQ(d.send("GET", "/api/api_version").status, 0);
    waiter.join();
    EXPECT_EQ(a.send("GET", "/api/1.4/array").status, 200);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace simtest
