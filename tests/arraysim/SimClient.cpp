#include "SimClient.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace simtest {

using nlohmann::json;

std::string Answer::msg() const {
  nlohmann::json j = json();
  if (j.is_array() && !j.empty() && j[0].is_object()) return j[0].value("msg", "");
  return "";
}

std::string Answer::message() const {
  nlohmann::json j = json();
  if (j.is_object() && j.contains("errors") && j["errors"].is_array() && !j["errors"].empty()) {
    return j["errors"][0].value("message", "");
  }
  return "";
}

namespace {

std::string header(const Answer& a, const std::string& name) {
  auto it = a.headers.find(name);
  return it == a.headers.end() ? "" : it->second;
}

}  // namespace

Client::Client(const std::string& ca_path, int port) : cli_("127.0.0.1", port) {
  cli_.set_ca_cert_path(ca_path.c_str());
  cli_.enable_server_certificate_verification(true);
  cli_.set_keep_alive(true);
  cli_.set_tcp_nodelay(true);
  cli_.set_read_timeout(10);
}

Answer Client::send(const std::string& method, const std::string& target, const std::string& body,
                    const httplib::Headers& extra) {
  httplib::Request req;
  req.method = method;
  req.path = target;
  req.headers = extra;
  if (!cookie_.empty()) req.headers.emplace("Cookie", cookie_);
  if (!auth_token_.empty()) req.headers.emplace("x-auth-token", auth_token_);
  if (!body.empty()) {
    req.body = body;
    req.headers.emplace("Content-Type", "application/json");
  }
  Answer a;
  auto res = cli_.send(req);
  if (!res) return a;
  a.status = res->status;
  a.body = res->body;
  a.headers = res->headers;
  return a;
}

Answer Client::faLogin(const std::string& token, const std::string& version) {
  Answer a = send("POST", "/api/" + version + "/auth/session",
                  "{ \"api_token\" : \"" + token + "\" }");
  std::string set = header(a, "Set-Cookie");
  cookie_ = set.substr(0, set.find(';'));
  return a;
}

Answer Client::fbLogin(const std::string& token) {
  Answer a = send("POST", "/api/login", "", {{"api-token", token}});
  auth_token_ = header(a, "x-auth-token");
  return a;
}

json SimFixture::testScenario() {
  return json::parse(R"json({"arrays": [
    {"name": "fa1", "kind": "flasharray", "id": "aaaabbbbccccdddd-1", "version": "6.1.0",
     "api_versions": ["1.4", "1.7", "1.13"],
     "users": [{"name": "pureuser", "api_token": "tok-fa1"}],
     "ports": [{"name": "CT0.FC0", "wwn": "52:4A:93:70:00:00:00:01"},
               {"name": "CT0.ETH0", "iqn": "iqn.2010-06.com.purestorage:fa1"}],
     "volumes": [{"name": "v1", "size": 1024}, {"name": "v2", "size": 2048},
                 {"name": "v3", "size": 4096, "serial": "AAAABBBBCCCCDDDD000000FF"},
                 {"name": "pod1::pv", "size": 512}],
     "hosts": [{"name": "h1", "wwn": ["10:00:00:00:C9:00:00:01"], "iqn": ["iqn.1994-05.com.redhat:h1"],
                "hgroup": "g1"},
               {"name": "h2", "wwn": ["10:00:00:00:c9:00:00:02"], "hgroup": "g1"},
               {"name": "h3", "iqn": ["iqn.1994-05.com.redhat:h3"]}],
     "pgroups": [{"name": "pg1", "volumes": ["v1", "v2"], "targets": [{"name": "fa2", "allowed": false}]}],
     "pods": [{"name": "pod1", "arrays": ["fa1", "fa2"]}],
     "replication_targets": ["fa2"]},
    {"name": "fa2", "kind": "flasharray", "id": "1111222233334444-2",
     "users": [{"name": "pureuser", "api_token": "tok-fa2"}],
     "volumes": [{"name": "w1", "size": 1024}],
     "replication_targets": ["fa1"]},
    {"name": "fb1", "kind": "flashblade", "id": "fb-0001", "safemode": false,
     "users": [{"name": "pureuser", "api_token": "tok-fb1"}],
     "file_systems": [{"name": "fs1", "nfs": true}, {"name": "fs2", "nfs": false}],
     "network_interfaces": [{"name": "data1", "address": "10.0.0.5", "services": ["data"]},
                            {"name": "repl1", "address": "10.0.0.6", "services": ["replication"]}]}
  ]})json");
}

SimFixture::SimFixture(const json& scenario) {
  char tmpl[] = "/tmp/arraysim-test-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
  sim_ = std::make_unique<arraysim::Simulator>(scenario, dir_);
}

SimFixture::~SimFixture() {
  sim_.reset();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

int SimFixture::port(const std::string& array) const {
  for (const auto& e : sim_->endpoints()) {
    if (e.name == array) return e.port;
  }
  throw std::runtime_error("no array " + array);
}

std::unique_ptr<Client> SimFixture::client(const std::string& array) {
  return std::make_unique<Client>(ca(), port(array));
}

std::unique_ptr<Client> SimFixture::loggedIn(const std::string& array) {
  auto c = client(array);
  arraysim::SimArray* arr = sim_->fleet().find(array);
  const std::string& token = arr->cfg().users.at(0).api_token;
  Answer a = arr->cfg().kind == arraysim::Kind::kFlashArray ? c->faLogin(token) : c->fbLogin(token);
  if (a.status != 200) throw std::runtime_error("login to " + array + " failed: " + a.body);
  return c;
}

}  // namespace simtest
