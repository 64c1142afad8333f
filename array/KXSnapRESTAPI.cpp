#include "KXSnapRESTAPI.h"

#include <cstdarg>
#include <cstring>

#include "KXLibCurl.h"
#include "RestText.h"

namespace {

const char kSendReq[] = "KXSnapRESTAPI::sendReq";
const char kHeaders[] = "KXSnapRESTAPI::setCommonCurlHeaders";

bool holdsLoginToken(const std::string& body) {
  return body.find("api_token") != std::string::npos;
}

}  // namespace

KXSnapRESTAPI::KXSnapRESTAPI()
    : http_(nullptr),
      initialised_(false),
      connected_(false),
      connecting_(false),
      logging_(false),
      logger_(nullptr),
      arrayType_(FLASHARRAY) {
  reset();
  http_ = new KXLibCurl();
}

KXSnapRESTAPI::~KXSnapRESTAPI() { delete http_; }

void KXSnapRESTAPI::reset() {
  initialised_ = false;
  connected_ = false;
  logging_ = false;
  basePath_.clear();
  contentType_.clear();
  cookieFile_.clear();
  server_.clear();
  userName_.clear();
  password_.clear();
  token_.clear();
  userAgent_.clear();
}

void KXSnapRESTAPI::configure(PureArrayType type, const std::string& server,
                              const std::string& user, const std::string& token,
                              const std::string& cookieFile, const std::string& basePath) {
  reset();
  setServer(server);
  setUserName(user);
  setToken(token);
  setCookieFile(cookieFile);
  setContentType("Content-Type: application/json");
  setUserAgentHeader("User-Agent: KxSnapPureStor");
  setRelativeBasePath(basePath);
  setArrayType(type);
}

// Every line passes the mask: a response or URL that echoes the token or
// the password must not carry it into the log.
void KXSnapRESTAPI::log(int level, const char* context, const char* fmt, ...) {
  if (logger_ == nullptr) return;
  va_list args;
  va_start(args, fmt);
  std::string text = vformatText(fmt, args);
  va_end(args);
  std::string session;
  size_t colon = sessionToken_.find(": ");
  if (colon != std::string::npos) session = sessionToken_.substr(colon + 2);
  text = maskSecrets(text, {&token_, &password_, &session});
  logger_->logWithContext(level, context, "%s", text.c_str());
}

bool KXSnapRESTAPI::formUrlPath(const std::string& relative, std::string& url) {
  url = "https://" + server_ + "/" + basePath_ + "/" + relative;
  if (logging_) {
    log(1, "KXSnapRESTAPI::formUrlPath", "Computed URL [%s] to send the request.", url.c_str());
  }
  return true;
}

bool KXSnapRESTAPI::append(int kind, const std::string& text, const char* refusal) {
  if (http_->KXLibCurlAppendHeader(kind, text)) return true;
  log(1, kHeaders, "%s", refusal);
  return false;
}

bool KXSnapRESTAPI::setCommonCurlHeaders() {
  http_->KXLibCurlFreeHttpHeaderList();
  return append(KXCURL_HEADER_LINE, contentType_,
                "Failed to set CURL HTTPHEADER header - content type.") &&
         append(KXCURL_HEADER_LINE, userAgent_,
                "Failed to set CURL HTTPHEADER header - user agent.") &&
         append(KXCURL_HEADER_COOKIES, cookieFile_, "Failed to set CURL cookie file header.");
}

bool KXSnapRESTAPI::setCommonCurlHeadersForFlashBlade() {
  http_->KXLibCurlFreeHttpHeaderList();
  if (!append(KXCURL_HEADER_LINE, "Accept: application/json",
              "Failed to set CURL HTTPHEADER header - Accept.") ||
      !append(KXCURL_HEADER_LINE, sessionToken_,
              "Failed to set CURL HTTPHEADER header - x-auth-token.") ||
      !append(KXCURL_HEADER_LINE, userAgent_,
              "Failed to set CURL HTTPHEADER header - user agent.")) {
    return false;
  }
  if (!sessionToken_.empty()) return true;
  return append(KXCURL_HEADER_LINE, "api-token: " + token_,
                "Failed to set CURL HTTPHEADER header - api token.");
}

bool KXSnapRESTAPI::sendReq(int method, const std::string& relative, const std::string& body,
                            std::string& response) {
  bool result = true;
  if (!connecting_ && !(initialised_ && connected_)) {
    log(2, kSendReq, "Error:Connect module has to be called before making any queries.");
    return false;
  }
  std::string url;
  formUrlPath(relative, url);
  if (arrayType_ == FLASHARRAY) {
    setCommonCurlHeaders();
  } else {
    setCommonCurlHeadersForFlashBlade();
  }
  static const _http_req_type_ kTypes[] = {HTTP_REQ_GET, HTTP_REQ_POST, HTTP_REQ_PUT,
                                           HTTP_REQ_DELETE, HTTP_REQ_PATCH};
  if (method < 0 || method > 4) {
    log(2, kSendReq, "Unsupported request type [%d]", method);
    return false;
  }
  const bool loginBody = holdsLoginToken(body);
  const char* data = body.empty() ? nullptr : body.c_str();
  if (!http_->KXLibCurlSendHttpReq(kTypes[method], url, data, body.size(), false, nullptr)) {
    result = false;
    if (body.empty()) {
      log(2, kSendReq, "Error while processing the request. URL[%s]", url.c_str());
    } else if (!loginBody) {
      log(2, kSendReq, "Error while processing the request. URL[%s] Request[%s]", url.c_str(),
          body.c_str());
    }
  }
  size_t length = 0;
  const char* text = http_->GetHttpResponse(&length, false);
  if (text == nullptr || length == 0) {
    if (!loginBody) {
      log(2, kSendReq, "Empty response received for request. URL[%s] Request[%s]", url.c_str(),
          body.c_str());
    }
    return false;
  }
  response.assign(text, strnlen(text, length));
  if (logging_) log(0, kSendReq, "Response for URL[%s]:<<%s>>", url.c_str(), response.c_str());
  return result;
}

bool KXSnapRESTAPI::connect(const std::string& relative, const std::string& body,
                            std::string& response) {
  connecting_ = true;
  // A login opens a new session: the line of an earlier one would take the
  // place of the API token and the login would fail.
  sessionToken_.clear();
  if (!http_->KXLibCurlInit(contentType_, true, true, nullptr)) {
    if (logging_) log(1, "KXSnapRESTAPI::connect", "Failed to Initialize Curl Library.");
    connecting_ = false;
    return false;
  }
  initialised_ = true;
  if (!post(relative, body, response)) {
    connecting_ = false;
    return false;
  }
  if (arrayType_ == FLASHBLADE) {
    sessionToken_ = http_->GetHttpResponseHeader("x-auth-token");
    size_t crlf = sessionToken_.find("\r\n");
    if (crlf != std::string::npos) sessionToken_.erase(crlf);
  }
  connected_ = true;
  connecting_ = false;
  return true;
}

bool KXSnapRESTAPI::disconnect(const std::string& relative, const std::string& body,
                               std::string& response) {
  // The DELETE goes out before connected is cleared: the other way round the
  // gate would refuse it and the session would stay open on the array.
  bool ok = del(relative, body, response);
  connected_ = false;
  return ok;
}

bool KXSnapRESTAPI::get(const std::string& r, const std::string& b, std::string& out) {
  return sendReq(0, r, b, out);
}
bool KXSnapRESTAPI::post(const std::string& r, const std::string& b, std::string& out) {
  return sendReq(1, r, b, out);
}
bool KXSnapRESTAPI::put(const std::string& r, const std::string& b, std::string& out) {
  return sendReq(2, r, b, out);
}
bool KXSnapRESTAPI::del(const std::string& r, const std::string& b, std::string& out) {
  return sendReq(3, r, b, out);
}
bool KXSnapRESTAPI::patch(const std::string& r, const std::string& b, std::string& out) {
  return sendReq(4, r, b, out);
}
