// The FlashArray client: construction, session, errors, API versions.
#include "PUREStorageAPI.h"

#include <cstdarg>

#include "CZuString.h"
#include "RestText.h"

PureStorageAPI::PureStorageAPI(KXSO::SnapInfo* logger)
    : rest_(new KXSnapRESTAPI()),
      diagLogging_(false),
      logger_(nullptr),
      osUtil_(nullptr),
      pureConfigs_() {
  if (logger != nullptr) {
    logger_ = logger;
    rest_->setLogger(logger);
  }
}

PureStorageAPI::~PureStorageAPI() {
  disconnect();
  delete rest_;
}

bool PureStorageAPI::initialize(const std::string& server, const std::string& userName,
                                const std::string& apiToken, KXSO::KXOSUtil* osUtil,
                                bool diagLogging) {
  if (osUtil == nullptr || logger_ == nullptr) return false;
  resetForRequest();
  server_ = server;
  userName_ = userName;
  apiToken_ = apiToken;
  cookieFile_ = "PURE-" + server + ".txt";
  rest_->configure(FLASHARRAY, server, userName, apiToken, cookieFile_, "api/1.4");
  setDiagLogging(diagLogging);
  osUtil_ = osUtil;
  return true;
}

bool PureStorageAPI::connect() {
  buildJSONBodyForSessionCreate(apiToken_, requestBody_);
  bool sent = rest_->connect("auth/session", requestBody_, response_);
  requestBody_.clear();  // the token is not kept beyond the login
  if (!sent) {
    setError("Error in connecting to array [" + server_ +
             "]. Please ensure that the user name and password are entered properly.");
    return false;
  }
  return guarded("PureStorageAPI::connect", [&] {
    jsonxx::Object answer;
    if (!answer.parse(response_)) {
      setError("Failed in parsing the response [" + response_ + "] user [" + userName_ +
               "] for array [" + server_ + "]");
      return false;
    }
    const std::string* user = stringMember(answer, "username");
    if (user == nullptr) {
      setError("Failed in finding the username in response [" + response_ + "] user [" +
               userName_ + "] for array [" + server_ + "]");
      return false;
    }
    if (*user != userName_) {
      setError("Auth returned wrong user[" + *user + "] - Expected User[" + userName_ + "] for " +
               server_);
      return false;
    }
    return true;
  });
}

bool PureStorageAPI::disconnect() {
  resetForRequest();
  bool ok = rest_->del("auth/session", "", response_);
  if (!ok) setError("Error in disconnecting from array-" + server_);
  rest_->reset();
  return ok;
}

void PureStorageAPI::setDiagLogging(bool on) {
  diagLogging_ = on;
  if (rest_ != nullptr) rest_->setLogging(on);
}

void PureStorageAPI::resetForRequest() {
  requestBody_.clear();
  response_.clear();
  resetError();
}

void PureStorageAPI::fetchAPIVersions() {
  apiVersions_.clear();
  resetForRequest();
  rest_->setRelativeBasePath("api");
  bool ok = rest_->get("api_version", "", response_);
  rest_->setRelativeBasePath("api/1.4");
  if (!ok) return;
  log(1, "", "Got API versions [%s]", response_.c_str());
  guarded("PureStorageAPI::fetchAPIVersions", [&] {
    jsonxx::Object answer;
    if (!answer.parse(response_) || !answer.has<jsonxx::Array>("version")) return false;
    for (const jsonxx::Value& v : answer.get<jsonxx::Array>("version").values()) {
      if (v.is<jsonxx::String>()) apiVersions_.insert(v.get<jsonxx::String>());
    }
    return true;
  });
}

bool PureStorageAPI::getErrorMsgFromResponse(const std::string& response, std::string& msg) {
  jsonxx::Array list;
  if (!list.parse(response) || list.empty()) return false;
  const jsonxx::Value& first = list.values()[0];
  if (!first.is<jsonxx::Object>()) return false;
  const std::string* text = stringMember(first.get<jsonxx::Object>(), "msg");
  if (text == nullptr) return false;
  msg = *text;
  return true;
}

void PureStorageAPI::setError(const std::string& text) {
  errorStr_ = maskSecrets(text, {&apiToken_});
}

void PureStorageAPI::log(int level, const char* context, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  logMaskedV(logger_, level, context, apiToken_, fmt, args);
  va_end(args);
}

void buildJSONBodyForSessionCreate(const std::string& apiToken, std::string& body) {
  body = CZuString::Format("{ \"api_token\" : \"{1}\" }", jsonEscape(apiToken));
}
