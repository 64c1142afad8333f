#include "simulator.h"

#include <httplib.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "certs.h"
#include "conn_queue.h"
#include "dispatch.h"
#include "scenario.h"

namespace arraysim {

using nlohmann::json;

namespace {

// cpp-httplib 0.11 does not read the body of a GET, yet clients send one
// ({"snap": true}); read it from the TLS stream so that it neither goes
// unseen nor spoils the next request of the connection. False when the body
// cannot be read whole.
bool readUnreadBody(const httplib::Request& req, std::string* body, size_t max) {
  *body = req.body;
  if (!req.has_header("Content-Length")) return true;
  size_t want = std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10);
  if (want <= req.body.size()) return true;
  if (want > max || !req.ssl) return false;
  SSL* ssl = const_cast<SSL*>(req.ssl);
  std::string got = req.body;
  char buf[4096];
  while (got.size() < want) {
    if (SSL_pending(ssl) == 0) {
      pollfd pfd{SSL_get_fd(ssl), POLLIN, 0};
      if (::poll(&pfd, 1, 5000) <= 0) return false;
    }
    int n = SSL_read(ssl, buf, static_cast<int>(std::min(sizeof buf, want - got.size())));
    if (n <= 0) return false;
    got.append(buf, static_cast<size_t>(n));
  }
  *body = std::move(got);
  return true;
}

void closeConnection(const httplib::Request& req) {
  if (req.ssl) ::shutdown(SSL_get_fd(req.ssl), SHUT_RDWR);
}

}  // namespace

class ArrayServer {
 public:
  ArrayServer(SimArray& arr, Fleet& fleet, const KeyPair& kp, const Limits& limits,
              std::atomic<uint64_t>* conn_numbers)
      : arr_(arr), fleet_(fleet), limits_(limits), svr_(kp.cert.get(), kp.key.get()),
        conn_numbers_(conn_numbers) {
    if (!svr_.is_valid()) throw std::runtime_error("cannot set up TLS for " + arr.cfg().name);
    SSL_CTX_set_min_proto_version(svr_.ssl_context(), TLS1_2_VERSION);
    ConnQueue::watchHandshakes(svr_.ssl_context());
    size_t workers = limits.workers, waiting = limits.max_waiting;
    svr_.new_task_queue = [workers, waiting] { return new ConnQueue(workers, waiting); };
    svr_.set_tcp_nodelay(true);
    svr_.set_keep_alive_max_count(limits.keep_alive_requests);
    svr_.set_keep_alive_timeout(limits.keep_alive_seconds);
    svr_.set_payload_max_length(limits.max_body);
    svr_.set_read_timeout(30);
    svr_.set_write_timeout(30);
    auto h = [this](const httplib::Request& req, httplib::Response& res) { serve(req, res); };
    // cpp-httplib refuses a POST without Content-Length (400), although a
    // request with neither it nor Transfer-Encoding simply has no body;
    // such requests are served before the library tries to read one.
    svr_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      if (req.method == "GET" || req.has_header("Content-Length") ||
          req.has_header("Transfer-Encoding")) {
        return httplib::Server::HandlerResponse::Unhandled;
      }
      serve(req, res);
      return httplib::Server::HandlerResponse::Handled;
    });
    svr_.Get(".*", h);
    svr_.Post(".*", h);
    svr_.Put(".*", h);
    svr_.Patch(".*", h);
    svr_.Delete(".*", h);
  }

  ~ArrayServer() { stop(); }

  int bind(int port) {
    int got = port == 0 ? svr_.bind_to_any_port("127.0.0.1")
                        : (svr_.bind_to_port("127.0.0.1", port) ? port : -1);
    if (got <= 0) throw std::runtime_error("cannot bind 127.0.0.1:" + std::to_string(port));
    arr_.bound_port = got;
    return got;
  }

  // Returns once the accept loop runs: cpp-httplib's stop() does nothing
  // before that, so an early stop would otherwise leave it running.
  void start() {
    thread_ = std::thread([this] {
      svr_.listen_after_bind();
      ended_ = true;
    });
    while (!svr_.is_running() && !ended_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!svr_.is_running()) throw std::runtime_error("cannot serve " + arr_.cfg().name);
  }

  void stop() {
    svr_.stop();
    if (thread_.joinable()) thread_.join();
  }

 private:
  void serve(const httplib::Request& req, httplib::Response& res) {
    ConnContext* ctx = ConnQueue::current();
    Incoming in;
    in.method = req.method;
    in.target = req.target;
    if (!readUnreadBody(req, &in.body, limits_.max_body)) {
      closeConnection(req);
      return;
    }
    in.cookie = req.get_header_value("Cookie");
    in.api_token = req.get_header_value("api-token");
    in.x_auth_token = req.get_header_value("x-auth-token");
    Reply r;
    if (isAdminTarget(in.target)) {
      r = handleAdmin(arr_, fleet_, in);
    } else {
      if (ctx && ctx->number == 0) {
        ctx->number = ++*conn_numbers_;
        arr_.stats.connections++;
      }
      in.conn = ctx ? ctx->number : 0;
      r = handleRest(arr_, fleet_, in);
    }
    if (r.drop) {
      closeConnection(req);
      return;
    }
    res.status = r.status;
    for (const auto& [k, v] : r.headers) res.set_header(k, v);
    res.set_content(r.body, r.content_type);
  }

  SimArray& arr_;
  Fleet& fleet_;
  Limits limits_;
  httplib::SSLServer svr_;
  std::atomic<uint64_t>* conn_numbers_;
  std::thread thread_;
  std::atomic<bool> ended_{false};
};

namespace {

std::string absolute(const std::string& dir) {
  char* real = ::realpath(dir.c_str(), nullptr);
  if (!real) throw std::runtime_error("state folder " + dir + " does not exist");
  std::string out = real;
  std::free(real);
  return out;
}

}  // namespace

Simulator::Simulator(const json& scenario, const std::string& state_dir, Limits limits) {
  for (auto& st : loadScenario(scenario)) {
    fleet_.arrays.push_back(std::make_unique<SimArray>(std::move(st)));
  }
  ::mkdir(state_dir.c_str(), 0700);
  std::string dir = absolute(state_dir);
  KeyPair ca = makeCa("arraysim CA");
  ca_path_ = dir + "/ca.pem";
  writeFileAtomic(ca_path_, certPem(ca.cert.get()), 0644);
  for (auto& arr : fleet_.arrays) {
    KeyPair kp = makeServerCert(ca, arr->cfg().name);
    writeFileAtomic(dir + "/" + arr->cfg().name + ".crt", certPem(kp.cert.get()), 0644);
    writeFileAtomic(dir + "/" + arr->cfg().name + ".key", keyPem(kp.key.get()), 0600);
    auto server = std::make_unique<ArrayServer>(*arr, fleet_, kp, limits, &arr->conn_numbers);
    int port = server->bind(arr->cfg().port);
    endpoints_.push_back({arr->cfg().name, kindName(arr->cfg().kind), port});
    servers_.push_back(std::move(server));
  }
  for (auto& s : servers_) s->start();
  json arrays = json::array();
  for (auto& arr : fleet_.arrays) {
    json users = json::array();
    for (const auto& u : arr->cfg().users) users.push_back({{"name", u.name}, {"api_token", u.api_token}});
    arrays.push_back({{"name", arr->cfg().name},
                      {"kind", kindName(arr->cfg().kind)},
                      {"address", "127.0.0.1:" + std::to_string(arr->bound_port)},
                      {"id", arr->cfg().id},
                      {"users", users}});
  }
  arrays_json_ = dir + "/arrays.json";
  writeFileAtomic(arrays_json_, json({{"ca", ca_path_}, {"arrays", arrays}}).dump(2) + "\n", 0600);
}

Simulator::~Simulator() { stop(); }

void Simulator::stop() {
  for (auto& s : servers_) s->stop();
}

}  // namespace arraysim
