// The HTTP client over libcurl: one easy handle per object, reused for every
// request so that the connection (and its TLS session) is kept alive, with
// curl's in-memory cookie engine holding the session cookies.
#include "KXLibCurl.h"

#include <curl/curl.h>
#include <strings.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "HostLog.h"

namespace {

const char kLogContext[] = "KXLibCurl";

// A response body larger than this ends the transfer: no array answer comes
// near it, and the host process must not be made to hold an unbounded one.
constexpr size_t kMaxBodyBytes = 64u * 1024u * 1024u;

struct EasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

bool globalInit() {
  static std::once_flag once;
  static CURLcode result = CURLE_FAILED_INIT;
  std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
  return result == CURLE_OK;
}

const char* methodName(_http_req_type_ type) {
  switch (type) {
    case HTTP_REQ_GET: return "GET";
    case HTTP_REQ_POST: return "POST";
    case HTTP_REQ_PUT: return "PUT";
    case HTTP_REQ_DELETE: return "DELETE";
    case HTTP_REQ_HEAD: return "HEAD";
    case HTTP_REQ_PATCH: return "PATCH";
  }
  return nullptr;
}

// The name part of a header line, before its colon.
bool headerNameIs(const std::string& line, const std::string& name) {
  size_t colon = line.find(':');
  if (colon == std::string::npos || colon != name.size()) return false;
  return strncasecmp(line.data(), name.data(), name.size()) == 0;
}

}  // namespace

struct KXLibCurl::Impl {
  HostLog log{kLogContext};
  EasyHandle easy;
  HeaderList headers;
  std::string cookieKey;
  KXLibCurlWriteCallback callback = nullptr;
  std::string body;
  bool bodyTooLarge = false;
  std::vector<std::string> responseHeaders;
  std::string lastError;
  long status = 0;
  char errorBuffer[CURL_ERROR_SIZE] = {0};

  // Every option goes through here, so that a refused one is never silent.
  template <typename T>
  bool set(CURLoption option, T value, const char* name) {
    CURLcode rc = curl_easy_setopt(easy.get(), option, value);
    if (rc == CURLE_OK) return true;
    lastError = std::string("curl_easy_setopt ") + name + ": " + curl_easy_strerror(rc);
    log.debugLvl(-1, "%s", lastError.c_str());
    return false;
  }

  bool configure();
  bool setMethod(_http_req_type_ type, const char* data, size_t length);
  void fail(const char* method, const std::string& url, const std::string& reason);

  static size_t onBody(char* data, size_t size, size_t count, void* user);
  static size_t onHeader(char* data, size_t size, size_t count, void* user);
};

size_t KXLibCurl::Impl::onBody(char* data, size_t size, size_t count, void* user) {
  Impl* self = static_cast<Impl*>(user);
  size_t bytes = size * count;
  if (self->body.size() + bytes > kMaxBodyBytes) {
    self->bodyTooLarge = true;
    return 0;  // ends the transfer with a write error
  }
  self->body.append(data, bytes);
  return bytes;
}

size_t KXLibCurl::Impl::onHeader(char* data, size_t size, size_t count, void* user) {
  Impl* self = static_cast<Impl*>(user);
  size_t bytes = size * count;
  std::string line(data, bytes);
  // A status line starts the headers of another response (after an interim
  // 100 Continue): only the final response's headers are kept.
  if (line.compare(0, 5, "HTTP/") == 0) self->responseHeaders.clear();
  self->responseHeaders.push_back(std::move(line));
  return bytes;
}

bool KXLibCurl::Impl::configure() {
  const kxplatform::HttpSettings settings = kxplatform::httpSettings();
  bool ok = set(CURLOPT_NOSIGNAL, 1L, "NOSIGNAL") &&
            set(CURLOPT_ERRORBUFFER, errorBuffer, "ERRORBUFFER") &&
            set(CURLOPT_PROTOCOLS_STR, "https", "PROTOCOLS_STR") &&
            set(CURLOPT_FOLLOWLOCATION, 0L, "FOLLOWLOCATION") &&
            set(CURLOPT_TCP_KEEPALIVE, 1L, "TCP_KEEPALIVE") &&
            set(CURLOPT_CONNECTTIMEOUT, settings.connectTimeoutSec, "CONNECTTIMEOUT") &&
            set(CURLOPT_TIMEOUT, settings.timeoutSec, "TIMEOUT") &&
            set(CURLOPT_SSL_VERIFYPEER, settings.insecure ? 0L : 1L, "SSL_VERIFYPEER") &&
            set(CURLOPT_SSL_VERIFYHOST, settings.insecure ? 0L : 2L, "SSL_VERIFYHOST") &&
            // An empty name turns the cookie engine on without reading a file;
            // no COOKIEJAR is set, so nothing is written at cleanup.
            set(CURLOPT_COOKIEFILE, "", "COOKIEFILE") &&
            set(CURLOPT_HEADERFUNCTION, &Impl::onHeader, "HEADERFUNCTION") &&
            set(CURLOPT_HEADERDATA, this, "HEADERDATA");
  if (ok && !settings.caFile.empty()) ok = set(CURLOPT_CAINFO, settings.caFile.c_str(), "CAINFO");
  if (ok && callback != nullptr) {
    ok = set(CURLOPT_WRITEFUNCTION, callback, "WRITEFUNCTION") &&
         set(CURLOPT_WRITEDATA, static_cast<void*>(nullptr), "WRITEDATA");
  } else if (ok) {
    ok = set(CURLOPT_WRITEFUNCTION, &Impl::onBody, "WRITEFUNCTION") &&
         set(CURLOPT_WRITEDATA, this, "WRITEDATA");
  }
  if (ok && settings.insecure) {
    log.debugLvl(1, "Certificate verification is off (KX_HTTP_INSECURE).");
  }
  return ok;
}

// Options left by the previous request are reset first: the handle is
// reused, and a method or body once set would otherwise stay.
bool KXLibCurl::Impl::setMethod(_http_req_type_ type, const char* data, size_t length) {
  if (!set(CURLOPT_NOBODY, 0L, "NOBODY") || !set(CURLOPT_HTTPGET, 1L, "HTTPGET") ||
      !set(CURLOPT_CUSTOMREQUEST, static_cast<char*>(nullptr), "CUSTOMREQUEST")) {
    return false;
  }
  const bool hasBody = data != nullptr && length > 0;
  if (type == HTTP_REQ_HEAD) return set(CURLOPT_NOBODY, 1L, "NOBODY");
  if (type != HTTP_REQ_GET && type != HTTP_REQ_POST &&
      !set(CURLOPT_CUSTOMREQUEST, methodName(type), "CUSTOMREQUEST")) {
    return false;
  }
  if (type == HTTP_REQ_GET && hasBody &&
      !set(CURLOPT_CUSTOMREQUEST, "GET", "CUSTOMREQUEST")) {
    return false;
  }
  if (hasBody || type == HTTP_REQ_POST) {
    // The size first, so that the copy takes exactly that many bytes.
    return set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(hasBody ? length : 0),
               "POSTFIELDSIZE_LARGE") &&
           set(CURLOPT_COPYPOSTFIELDS, hasBody ? data : "", "COPYPOSTFIELDS");
  }
  return true;
}

void KXLibCurl::Impl::fail(const char* method, const std::string& url, const std::string& reason) {
  lastError = reason;
  log.debugLvl(-1, "%s %s failed: %s", method, url.c_str(), reason.c_str());
}

KXLibCurl::KXLibCurl() : impl_(new Impl) {}

KXLibCurl::~KXLibCurl() {
  if (impl_->easy) curl_easy_setopt(impl_->easy.get(), CURLOPT_HTTPHEADER, nullptr);
  impl_->headers.reset();
  impl_->easy.reset();
  delete impl_;
}

bool KXLibCurl::KXLibCurlInit(const std::string&, bool, bool, KXLibCurlWriteCallback callback) {
  if (!globalInit()) {
    impl_->lastError = "curl_global_init failed";
    impl_->log.debugLvl(-1, "%s", impl_->lastError.c_str());
    return false;
  }
  if (!impl_->easy) {
    impl_->easy.reset(curl_easy_init());
    if (!impl_->easy) {
      impl_->lastError = "curl_easy_init failed";
      impl_->log.debugLvl(-1, "%s", impl_->lastError.c_str());
      return false;
    }
  }
  impl_->callback = callback;
  return impl_->configure();
}

void KXLibCurl::KXLibCurlFreeHttpHeaderList() {
  if (impl_->easy) curl_easy_setopt(impl_->easy.get(), CURLOPT_HTTPHEADER, nullptr);
  impl_->headers.reset();
}

bool KXLibCurl::KXLibCurlAppendHeader(int kind, const std::string& text) {
  if (kind == KXCURL_HEADER_COOKIES) {
    if (text != impl_->cookieKey && impl_->easy &&
        !impl_->set(CURLOPT_COOKIELIST, "ALL", "COOKIELIST")) {
      return false;
    }
    impl_->cookieKey = text;
    return true;
  }
  if (kind != KXCURL_HEADER_LINE) return false;
  if (text.empty()) return true;
  if (text.find_first_of("\r\n") != std::string::npos || text.find('\0') != std::string::npos) {
    return false;
  }
  curl_slist* head = curl_slist_append(impl_->headers.get(), text.c_str());
  if (head == nullptr) return false;
  impl_->headers.release();
  impl_->headers.reset(head);
  return true;
}

bool KXLibCurl::KXLibCurlSendHttpReq(_http_req_type_ type, const std::string& url,
                                     const char* body, size_t bodyLength, bool, const char*) {
  Impl& d = *impl_;
  d.body.clear();
  d.bodyTooLarge = false;
  d.responseHeaders.clear();
  d.lastError.clear();
  d.status = 0;
  const char* method = methodName(type);
  if (method == nullptr) {
    d.fail("?", url, "unsupported request type " + std::to_string(static_cast<int>(type)));
    return false;
  }
  if (!d.easy) {
    d.fail(method, url, "the client was not initialised");
    return false;
  }
  if (!d.set(CURLOPT_URL, url.c_str(), "URL") ||
      !d.set(CURLOPT_HTTPHEADER, d.headers.get(), "HTTPHEADER") ||
      !d.setMethod(type, body, bodyLength)) {
    d.fail(method, url, d.lastError);
    return false;
  }
  d.errorBuffer[0] = '\0';
  CURLcode rc = curl_easy_perform(d.easy.get());
  curl_easy_getinfo(d.easy.get(), CURLINFO_RESPONSE_CODE, &d.status);
  if (rc != CURLE_OK) {
    std::string reason = d.bodyTooLarge ? "response body larger than " +
                                              std::to_string(kMaxBodyBytes) + " bytes"
                         : d.errorBuffer[0] != '\0' ? std::string(d.errorBuffer)
                                                    : std::string(curl_easy_strerror(rc));
    d.fail(method, url, "curl error " + std::to_string(static_cast<int>(rc)) + ": " + reason);
    return false;
  }
  if (d.status < 200 || d.status > 299) {
    d.lastError = "HTTP status " + std::to_string(d.status);
    d.log.debugLvl(1, "%s %s answered %s", method, url.c_str(), d.lastError.c_str());
    return false;
  }
  return true;
}

const char* KXLibCurl::GetHttpResponse(size_t* length, bool) {
  if (length != nullptr) *length = impl_->body.size();
  return impl_->body.c_str();
}

std::string KXLibCurl::GetHttpResponseHeader(const std::string& name) {
  for (const std::string& line : impl_->responseHeaders) {
    if (headerNameIs(line, name)) return line;
  }
  return std::string();
}

std::string KXLibCurl::GetLastError() const { return impl_->lastError; }

long KXLibCurl::GetHttpStatus() const { return impl_->status; }
