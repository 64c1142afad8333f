// Test helpers: an in-process simulator on a temporary state folder and a
// small HTTPS client that keeps the FlashArray session cookie or the
// FlashBlade session token like a real client.
#ifndef TESTS_ARRAYSIM_SIMCLIENT_H_
#define TESTS_ARRAYSIM_SIMCLIENT_H_

#include <httplib.h>

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "simulator.h"

namespace simtest {

struct Answer {
  int status = 0;  // 0: transport failure
  std::string body;
  httplib::Headers headers;
  nlohmann::json json() const { return nlohmann::json::parse(body, nullptr, false); }
  // First FlashArray error text, or empty.
  std::string msg() const;
  // First FlashBlade error text, or empty.
  std::string message() const;
};

class Client {
 public:
  Client(const std::string& ca_path, int port);

  Answer send(const std::string& method, const std::string& target, const std::string& body = "",
              const httplib::Headers& extra = {});

  // FlashArray login with the token; keeps the cookie. Returns the answer.
  Answer faLogin(const std::string& token, const std::string& version = "1.4");
  // FlashBlade login; keeps the x-auth-token.
  Answer fbLogin(const std::string& token);
  void forgetSession() { cookie_.clear(), auth_token_.clear(); }

 private:
  httplib::SSLClient cli_;
  std::string cookie_;
  std::string auth_token_;
};

// A simulator of the test scenario (two FlashArrays "fa1" and "fa2"
// replicating to each other, FlashBlade "fb1") or of a given scenario.
class SimFixture {
 public:
  explicit SimFixture(const nlohmann::json& scenario = testScenario());
  ~SimFixture();

  static nlohmann::json testScenario();

  int port(const std::string& array) const;
  const std::string& ca() const { return sim_->caPath(); }
  const std::string& dir() const { return dir_; }
  arraysim::Simulator& sim() { return *sim_; }

  // A client of `array`, logged in as its first user.
  std::unique_ptr<Client> loggedIn(const std::string& array);
  std::unique_ptr<Client> client(const std::string& array);

 private:
  std::string dir_;
  std::unique_ptr<arraysim::Simulator> sim_;
};

}  // namespace simtest

#endif  // TESTS_ARRAYSIM_SIMCLIENT_H_
