#include "KXLibCurl.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "FakeHost.h"
#include "KXPlatformConfig.h"
#include "TestTls.h"

namespace {

struct Seen {
  std::string method, path, body, cookie;
  std::vector<std::string> headers;  // "name: value" as the server parsed them
  int port = 0;
};

class LocalHttps {
 public:
  explicit LocalHttps(const kxtest::TestCertificate& cert)
      : server_(cert.certFile().c_str(), cert.keyFile().c_str()) {
    auto record = [this](const httplib::Request& req, httplib::Response& res) {
      Seen s{req.method, req.path, req.body, req.get_header_value("Cookie"), {}, req.remote_port};
      for (const auto& h : req.headers) s.headers.push_back(h.first + ": " + h.second);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(s);
      }
      if (req.path == "/login") {
        res.set_header("X-Auth-Token", "sess-1");
        res.set_header("Set-Cookie", "session=s1; Path=/; Secure; HttpOnly");
        res.set_content("{\"username\":\"u\"}", "application/json");
      } else if (req.path == "/needcookie") {
        bool ok = s.cookie.find("session=s1") != std::string::npos;
        res.status = ok ? 200 : 401;
        res.set_content(ok ? "{\"ok\":true}" : "[{\"msg\":\"no session\"}]", "application/json");
      } else if (req.path == "/error") {
        res.status = 400;
        res.set_content("[{\"msg\":\"Volume does not exist.\"}]", "application/json");
      } else if (req.path == "/slow") {
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        res.set_content("late", "text/plain");
      } else {
        res.set_content("{\"method\":\"" + req.method + "\"}", "application/json");
      }
    };
    for (const char* p : {"/login", "/needcookie", "/error", "/slow", "/any"}) {
      server_.Get(p, record);
      server_.Post(p, record);
      server_.Put(p, record);
      server_.Delete(p, record);
      server_.Patch(p, record);
    }
    server_.set_keep_alive_max_count(1000);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LocalHttps() {
    server_.stop();
    thread_.join();
  }

  std::string url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::vector<Seen> seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }
  size_t connections() {
    std::set<int> ports;
    for (const Seen& s : seen()) ports.insert(s.port);
    return ports.size();
  }

 private:
  httplib::SSLServer server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<Seen> seen_;
};

bool hasHeader(const Seen& s, const std::string& line) {
  for (const std::string& h : s.headers) {
    if (h == line) return true;
  }
  return false;
}

bool hasHeaderNamed(const Seen& s, const std::string& name) {
  for (const std::string& h : s.headers) {
    if (strncasecmp(h.c_str(), (name + ":").c_str(), name.size() + 1) == 0) return true;
  }
  return false;
}

class LibCurlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cert_.ok());
    kxplatform::setHttpCaFile(cert_.certFile());
    kxplatform::setHttpInsecure(false);
    kxplatform::setHttpTimeout(20);
    kxplatform::setHttpConnectTimeout(5);
  }
  void TearDown() override { kxplatform::setHttpTimeout(120); }

  bool send(KXLibCurl& http, _http_req_type_ type, const std::string& path,
            const std::string& body = "") {
    return http.KXLibCurlSendHttpReq(type, server_.url(path), body.empty() ? nullptr : body.data(),
                                     body.size(), false, nullptr);
  }
  std::string body(KXLibCurl& http) {
    size_t n = 0;
    const char* text = http.GetHttpResponse(&n, false);
    return std::string(text, n);
  }

  kxtest::TestCertificate cert_;
  LocalHttps server_{cert_};
};

TEST_F(LibCurlTest, OneClientKeepsOneConnectionForAllItsRequests) {
  KXLibCurl first, second;
  ASSERT_TRUE(first.KXLibCurlInit("", true, true, nullptr));
  ASSERT_TRUE(second.KXLibCurlInit("", true, true, nullptr));
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(send(first, HTTP_REQ_GET, "/any"));
  EXPECT_EQ(server_.connections(), 1u);
  ASSERT_TRUE(send(second, HTTP_REQ_POST, "/any", "{}"));
  ASSERT_TRUE(send(first, HTTP_REQ_DELETE, "/any"));
  EXPECT_EQ(server_.connections(), 2u);
}

TEST_F(LibCurlTest, MethodsAndBodiesGoOutAsAsked) {
  KXLibCurl http;
  ASSERT_TRUE(http.KXLibCurlInit("", true, true, nullptr));
  struct Case {
    _http_req_type_ type;
    std::string body, method;
  } cases[] = {{HTTP_REQ_POST, "{\"a\":1}", "POST"}, {HTTP_REQ_GET, "", "GET"},
               {HTTP_REQ_PUT, "{\"name\":\"n\"}", "PUT"}, {HTTP_REQ_DELETE, "", "DELETE"},
               {HTTP_REQ_PATCH, "{\"destroyed\" : true}", "PATCH"}, {HTTP_REQ_POST, "", "POST"},
               {HTTP_REQ_GET, "", "GET"}};
  for (const Case& c : cases) {
    ASSERT_TRUE(send(http, c.type, "/any", c.body)) << c.method;
    Seen s = server_.seen().back();
    EXPECT_EQ(s.method, c.method);
    EXPECT_EQ(s.body, c.body) << c.method;
    EXPECT_EQ(body(http), "{\"method\":\"" + c.method + "\"}");
  }
  EXPECT_EQ(server_.connections(), 1u);
}

TEST_F(LibCurlTest, HeaderListIsSentAsAppendedAndDroppedOnFree) {
  KXLibCurl http;
  ASSERT_TRUE(http.KXLibCurlInit("Content-Type: application/json", true, true, nullptr));
  EXPECT_TRUE(http.KXLibCurlAppendHeader(0, "Accept: application/json"));
  EXPECT_TRUE(http.KXLibCurlAppendHeader(0, ""));
  EXPECT_TRUE(http.KXLibCurlAppendHeader(0, "User-Agent: KxSnapPureStor"));
  EXPECT_FALSE(http.KXLibCurlAppendHeader(0, "X-Bad: a\r\nX-Injected: b"));
  EXPECT_FALSE(http.KXLibCurlAppendHeader(7, "whatever"));
  ASSERT_TRUE(send(http, HTTP_REQ_GET, "/any"));
  Seen s = server_.seen().back();
  EXPECT_TRUE(hasHeader(s, "Accept: application/json"));
  EXPECT_TRUE(hasHeader(s, "User-Agent: KxSnapPureStor"));
  EXPECT_FALSE(hasHeaderNamed(s, "X-Injected"));
  EXPECT_FALSE(hasHeaderNamed(s, "Content-Type"));

  http.KXLibCurlFreeHttpHeaderList();
  ASSERT_TRUE(send(http, HTTP_REQ_GET, "/any"));
  EXPECT_FALSE(hasHeader(server_.seen().back(), "Accept: application/json"));
}

TEST_F(LibCurlTest, SessionCookiesStayInMemoryAcrossHeaderResets) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(cert_.dir().c_str()), 0);
  {
    KXLibCurl http;
    ASSERT_TRUE(http.KXLibCurlInit("", true, true, nullptr));
    ASSERT_TRUE(http.KXLibCurlAppendHeader(3, "PURE-127.0.0.1.txt"));
    ASSERT_TRUE(send(http, HTTP_REQ_POST, "/login", "{}"));
    http.KXLibCurlFreeHttpHeaderList();
    ASSERT_TRUE(http.KXLibCurlAppendHeader(3, "PURE-127.0.0.1.txt"));
    EXPECT_TRUE(send(http, HTTP_REQ_GET, "/needcookie"));

    // Another name is another store: the session cookie is not sent there.
    ASSERT_TRUE(http.KXLibCurlAppendHeader(3, "PURE-other.txt"));
    EXPECT_FALSE(send(http, HTTP_REQ_GET, "/needcookie"));
    EXPECT_EQ(http.GetHttpStatus(), 401);
  }
  EXPECT_FALSE(std::filesystem::exists(cert_.dir() + "/PURE-127.0.0.1.txt"));
  EXPECT_FALSE(std::filesystem::exists(cert_.dir() + "/PURE-other.txt"));
  ASSERT_EQ(chdir(cwd), 0);

  KXLibCurl fresh;
  ASSERT_TRUE(fresh.KXLibCurlInit("", true, true, nullptr));
  ASSERT_TRUE(fresh.KXLibCurlAppendHeader(3, "PURE-127.0.0.1.txt"));
  EXPECT_FALSE(send(fresh, HTTP_REQ_GET, "/needcookie"));
}

TEST_F(LibCurlTest, ResponseHeaderByNameWithoutRegardToCase) {
  KXLibCurl http;
  ASSERT_TRUE(http.KXLibCurlInit("", true, true, nullptr));
  ASSERT_TRUE(send(http, HTTP_REQ_POST, "/login"));
  EXPECT_EQ(http.GetHttpResponseHeader("x-auth-token"), "X-Auth-Token: sess-1\r\n");
  EXPECT_EQ(http.GetHttpResponseHeader("X-AUTH-TOKEN"), "X-Auth-Token: sess-1\r\n");
  EXPECT_EQ(http.GetHttpResponseHeader("x-auth"), "");
  ASSERT_TRUE(send(http, HTTP_REQ_GET, "/any"));
  EXPECT_EQ(http.GetHttpResponseHeader("x-auth-token"), "");
}

TEST_F(LibCurlTest, ErrorStatusFailsButKeepsTheBody) {
  KXLibCurl http;
  ASSERT_TRUE(http.KXLibCurlInit("", true, true, nullptr));
  EXPECT_FALSE(send(http, HTTP_REQ_GET, "/error"));
  EXPECT_EQ(http.GetHttpStatus(), 400);
  EXPECT_EQ(body(http), "[{\"msg\":\"Volume does not exist.\"}]");
  EXPECT_EQ(http.GetLastError(), "HTTP status 400");
}

TEST_F(LibCurlTest, UntrustedCertificateFailsWithItsReasonLogged) {
  kxtest::TestCertificate other;
  ASSERT_TRUE(other.ok());
  kxplatform::setHttpCaFile(other.certFile());
  kxtest::LogCapture log;
  KXLibCurl http;
  ASSERT_TRUE(http.KXLibCurlInit("", true, true, nullptr));
  EXPECT_FALSE(send(http, HTTP_REQ_GET, "/any"));
  EXPECT_NE(http.GetLastError().find("certificate"), std::string::npos) << http.GetLastError();
  EXPECT_TRUE(log.contains("certificate"));
  EXPECT_TRUE(server_.seen().empty());

  kxplatform::setHttpInsecure(true);
  KXLibCurl optedOut;
  ASSERT_TRUE(optedOut.KXLibCurlInit("", true, true, nullptr));
  EXPECT_TRUE(send(optedOut, HTTP_REQ_GET, "/any"));
}

TEST_F(LibCurlTest, TotalTimeOutEndsAHangingRequest) {
  kxplatform::setHttpTimeout(1);
  KXLibCurl http;
  ASSERT_TRUE(http.KXLibCurlInit("", true, true, nullptr));
  EXPECT_FALSE(send(http, HTTP_REQ_GET, "/slow"));
  EXPECT_NE(http.GetLastError().find("curl error 28"), std::string::npos) << http.GetLastError();
}

TEST_F(LibCurlTest, OnlyInitialisedClientsAndHttpsUrlsAreCarriedOut) {
  KXLibCurl http;
  EXPECT_FALSE(send(http, HTTP_REQ_GET, "/any"));
  ASSERT_TRUE(http.KXLibCurlInit("", true, true, nullptr));
  std::string plain = server_.url("/any");
  plain.replace(0, 5, "http");
  EXPECT_FALSE(http.KXLibCurlSendHttpReq(HTTP_REQ_GET, plain, nullptr, 0, false, nullptr));
  EXPECT_FALSE(http.KXLibCurlSendHttpReq(HTTP_REQ_GET, server_.url("/a b"), nullptr, 0, false,
                                         nullptr));
  EXPECT_TRUE(server_.seen().empty());
}

}  // namespace
