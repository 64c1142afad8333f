// The FlashBlade client: session, versions, file-system and NFS-interface
// checks.
#include "PureFlashBladeAPI.h"

#include <cstdarg>

#include "RestText.h"

namespace {
const char kStandingBase[] = "api/1.5";
}  // namespace

PureFlashBladeAPI::PureFlashBladeAPI(KXSO::SnapInfo* logger)
    : rest_(new KXSnapRESTAPI()), diagLogging_(false), logger_(nullptr), osUtil_(nullptr) {
  if (logger != nullptr) {
    logger_ = logger;
    rest_->setLogger(logger);
  }
}

PureFlashBladeAPI::~PureFlashBladeAPI() {
  disconnect();
  delete rest_;
}

bool PureFlashBladeAPI::initialize(const std::string& server, const std::string& userName,
                                   const std::string& apiToken, KXSO::KXOSUtil* osUtil,
                                   bool diagLogging) {
  if (osUtil == nullptr || logger_ == nullptr) return false;
  resetForRequest();
  server_ = server;
  userName_ = userName;
  apiToken_ = apiToken;
  rest_->configure(FLASHBLADE, server, userName, apiToken, "", kStandingBase);
  setDiagLogging(diagLogging);
  osUtil_ = osUtil;
  return true;
}

bool PureFlashBladeAPI::connect() {
  rest_->setRelativeBasePath("api");
  bool sent = rest_->connect("login", requestBody_, response_);
  rest_->setRelativeBasePath(kStandingBase);
  if (!sent) {
    return fail("connect", "Error in connecting to Pure FlashBlade [" + server_ +
                               "]. Please ensure that the user name and password are entered "
                               "properly.");
  }
  jsonxx::Object answer;
  answer.parse(response_);
  const std::string* user = stringMember(answer, "username");
  if (user == nullptr) {
    return fail("connect", "Failed in finding the username in response [" + response_ +
                               "] user [" + userName_ + "] for array [" + server_ + "]");
  }
  if (*user != userName_) {
    return fail("connect", "Auth returned wrong user[" + *user + "] - Expected User[" +
                               userName_ + "] from array [" + server_ + "]");
  }
  log(1, "connect", "Connection succeeded for array [%s]", server_.c_str());
  return true;
}

bool PureFlashBladeAPI::disconnect() {
  resetForRequest();
  rest_->setRelativeBasePath("api");
  bool ok = rest_->post("logout", "", response_);
  if (!ok && response_.empty()) {
    log(1, "disconnect", "Disconnect Succeeded , empty response is accepted");
    ok = true;
  } else if (!ok) {
    fail("disconnect", "Error in disconnecting from array- [" + server_ + "]");
  }
  rest_->reset();
  return ok;
}

void PureFlashBladeAPI::setDiagLogging(bool on) {
  diagLogging_ = on;
  if (rest_ != nullptr) rest_->setLogging(on);
}

void PureFlashBladeAPI::resetForRequest() {
  requestBody_.clear();
  response_.clear();
  resetError();
}

void PureFlashBladeAPI::fetchAPIVersions() {
  apiVersions_.clear();
  resetForRequest();
  rest_->setRelativeBasePath("api");
  bool ok = rest_->get("api_version", "", response_);
  rest_->setRelativeBasePath(kStandingBase);
  if (!ok) return;
  jsonxx::Object answer;
  answer.parse(response_);
  log(1, "", "Got API versions [%s]", response_.c_str());
  if (answer.empty() || !answer.has<jsonxx::Array>("versions")) return;
  for (const jsonxx::Value& v : answer.get<jsonxx::Array>("versions").values()) {
    if (v.is<jsonxx::String>()) apiVersions_.insert(v.get<jsonxx::String>());
  }
}

bool PureFlashBladeAPI::getErrorMsgFromResponse2(const std::string& response, std::string& msg) {
  jsonxx::Object answer;
  if (!answer.parse(response) || answer.empty() || !answer.has<jsonxx::Array>("errors")) {
    return false;
  }
  const jsonxx::Array& errors = answer.get<jsonxx::Array>("errors");
  if (errors.empty() || !errors.values()[0].is<jsonxx::Object>()) return false;
  const std::string* text = stringMember(errors.values()[0].get<jsonxx::Object>(), "message");
  if (text == nullptr) return false;
  msg = *text;
  return true;
}

bool PureFlashBladeAPI::checkIfVolWithSourceNameExists(const std::string& fsName,
                                                       const std::string&, bool& exists,
                                                       std::string&) {
  const char* ctx = "checkIfVolWithSourceNameExists";
  resetForRequest();
  exists = false;
  if (rest_->get("file-systems?filter=nfs.enabled='true'&names=" + urlEncodeName(fsName), "",
                 response_)) {
    // The filter leaves a file system that is not exported over NFS out of
    // a successful answer, so success alone does not mean it was found.
    return guarded(ctx, [&] {
      jsonxx::Object answer;
      if (!answer.parse(response_) || !answer.has<jsonxx::Array>("items")) {
        return fail(ctx, std::string("PureFlashBladeAPI::checkIfVolWithSourceNameExists:") +
                             " Error in parsing response [" + response_ + "] from array [" +
                             server_ + "]");
      }
      for (const jsonxx::Value& item : answer.get<jsonxx::Array>("items").values()) {
        const std::string* name =
            item.is<jsonxx::Object>() ? stringMember(item.get<jsonxx::Object>(), "name") : nullptr;
        if (name != nullptr && *name == fsName) {
          log(1, ctx, "Filesystem [%s] found on array [%s]", fsName.c_str(), server_.c_str());
          exists = true;
          return true;
        }
      }
      fail(ctx, "Filesystem [" + fsName + "] not found or not exported over NFS on array [" +
                    server_ + "]");
      return true;
    });
  }
  std::string msg;
  if (getErrorMsgFromResponse2(response_, msg)) {
    fail(ctx, "Error in finding filesystem from array [" + server_ + "] error message [" + msg +
                  "]");
    return true;
  }
  return fail(ctx, std::string("PureFlashBladeAPI::checkIfVolWithSourceNameExists:") +
                       " Error in parsing response [" + response_ + "] from array [" + server_ +
                       "]");
}

int PureFlashBladeAPI::CheckIfNFSNetworkInterfaceExists(const std::string& address) {
  const char* ctx = "CheckIfNFSNetworkInterfaceExists";
  const std::string prefix = "PureFlashBladeAPI::CheckIfNFSNetworkInterfaceExists:";
  // Deliberately no resetForRequest: the body of the previous request goes
  // out with this GET, as the array expects of this sequence.
  if (!rest_->get("network-interfaces", requestBody_, response_)) {
    std::string msg;
    if (getErrorMsgFromResponse2(response_, msg)) {
      fail(ctx, prefix + " error msg [" + msg + "]");
    } else {
      fail(ctx, prefix + " Error in parsing response [" + response_ + "], from array [" +
                    server_ + "]");
    }
    return 0;
  }
  bool found = guarded(ctx, [&] {
    jsonxx::Object answer;
    answer.parse(response_);
    if (!answer.empty()) {
      for (const jsonxx::Value& element : answer.get<jsonxx::Array>("items").values()) {
        const jsonxx::Object& item = element.get<jsonxx::Object>();
        if (item.get<jsonxx::String>("address") != address) continue;
        log(1, ctx, "Found nfs network interface [%s] configured on array [%s]", address.c_str(),
            server_.c_str());
        for (const jsonxx::Value& service : item.get<jsonxx::Array>("services").values()) {
          if (service.is<jsonxx::String>() && service.get<jsonxx::String>() == "data") {
            log(1, ctx, "Found nfs network interface [%s] configured on array [%s] as a data vip",
                address.c_str(), server_.c_str());
            return true;
          }
        }
      }
    }
    fail(ctx, prefix + " Did not find the network interface [" + address + "] in the response [" +
                  response_ + "], from  array [" + server_ + "]");
    return false;
  });
  return found ? 1 : 0;
}

void PureFlashBladeAPI::setError(const std::string& text) {
  errorStr_ = maskSecrets(text, {&apiToken_});
}

bool PureFlashBladeAPI::fail(const char* context, const std::string& text) {
  setError(text);
  log(2, context, "%s", errorStr_.c_str());
  return false;
}

void PureFlashBladeAPI::log(int level, const char* context, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  logMaskedV(logger_, level, context, apiToken_, fmt, args);
  va_end(args);
}
