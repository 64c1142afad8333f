#include <cctype>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "FakeHttp.h"

namespace kxfakehttp {
namespace {

struct World {
  std::mutex mutex;
  std::deque<Reply> replies;
  Handler handler;
  bool initResult = true;
  std::vector<std::string> refused;
  std::vector<Request> requests;
  std::vector<std::string> events;
  int created = 0;
  int alive = 0;
};

World& world() {
  static World* w = new World();  // outlives every client, also at exit
  return *w;
}

}  // namespace

void reset() {
  World& w = world();
  std::lock_guard<std::mutex> lock(w.mutex);
  w.replies.clear();
  w.handler = nullptr;
  w.initResult = true;
  w.refused.clear();
  w.requests.clear();
  w.events.clear();
  w.created = 0;
}

void queueReply(const Reply& reply) {
  std::lock_guard<std::mutex> lock(world().mutex);
  world().replies.push_back(reply);
}

void setHandler(Handler handler) {
  std::lock_guard<std::mutex> lock(world().mutex);
  world().handler = std::move(handler);
}

void setInitResult(bool ok) {
  std::lock_guard<std::mutex> lock(world().mutex);
  world().initResult = ok;
}

void refuseHeader(const std::string& prefix) {
  std::lock_guard<std::mutex> lock(world().mutex);
  world().refused.push_back(prefix);
}

std::vector<Request> requests() {
  std::lock_guard<std::mutex> lock(world().mutex);
  return world().requests;
}

std::vector<std::string> events() {
  std::lock_guard<std::mutex> lock(world().mutex);
  return world().events;
}

int clientsCreated() {
  std::lock_guard<std::mutex> lock(world().mutex);
  return world().created;
}

int clientsAlive() {
  std::lock_guard<std::mutex> lock(world().mutex);
  return world().alive;
}

}  // namespace kxfakehttp

using kxfakehttp::world;

struct KXLibCurl::Impl {
  int number = 0;
  bool initialised = false;
  std::vector<std::string> headers;
  std::string cookieKey;
  kxfakehttp::Reply last;
  std::string lastError;
};

namespace {
void note(const std::string& event) {
  std::lock_guard<std::mutex> lock(world().mutex);
  world().events.push_back(event);
}
}  // namespace

KXLibCurl::KXLibCurl() : impl_(new Impl) {
  std::lock_guard<std::mutex> lock(world().mutex);
  impl_->number = ++world().created;
  ++world().alive;
}

KXLibCurl::~KXLibCurl() {
  {
    std::lock_guard<std::mutex> lock(world().mutex);
    --world().alive;
  }
  delete impl_;
}

bool KXLibCurl::KXLibCurlInit(const std::string&, bool, bool, KXLibCurlWriteCallback) {
  note("init");
  std::lock_guard<std::mutex> lock(world().mutex);
  impl_->initialised = world().initResult;
  return impl_->initialised;
}

void KXLibCurl::KXLibCurlFreeHttpHeaderList() {
  note("free");
  impl_->headers.clear();
}

bool KXLibCurl::KXLibCurlAppendHeader(int kind, const std::string& text) {
  note("append " + std::to_string(kind) + " " + text);
  {
    std::lock_guard<std::mutex> lock(world().mutex);
    for (const std::string& prefix : world().refused) {
      if (text.compare(0, prefix.size(), prefix) == 0) return false;
    }
  }
  if (kind == KXCURL_HEADER_COOKIES) {
    impl_->cookieKey = text;
    return true;
  }
  if (kind != KXCURL_HEADER_LINE) return false;
  if (!text.empty()) impl_->headers.push_back(text);
  return true;
}

bool KXLibCurl::KXLibCurlSendHttpReq(_http_req_type_ type, const std::string& url,
                                     const char* body, size_t bodyLength, bool, const char*) {
  note("send " + std::to_string(static_cast<int>(type)) + " " + url);
  kxfakehttp::Request request;
  request.client = impl_->number;
  request.type = static_cast<int>(type);
  request.url = url;
  request.hasBody = body != nullptr && bodyLength > 0;
  if (request.hasBody) request.body.assign(body, bodyLength);
  request.headers = impl_->headers;
  request.cookieKey = impl_->cookieKey;

  kxfakehttp::Handler handler;
  kxfakehttp::Reply reply;
  bool scripted = false;
  {
    std::lock_guard<std::mutex> lock(world().mutex);
    world().requests.push_back(request);
    if (!world().replies.empty()) {
      reply = world().replies.front();
      world().replies.pop_front();
      scripted = true;
    } else {
      handler = world().handler;
    }
  }
  if (!scripted) {
    reply = handler ? handler(request) : kxfakehttp::Reply{false, "", {}, 0};
  }
  if (!impl_->initialised) reply = kxfakehttp::Reply{false, "", {}, 0};
  if (reply.status == 0) reply.status = reply.ok ? 200 : 400;
  impl_->last = reply;
  impl_->lastError = reply.ok ? "" : "HTTP status " + std::to_string(reply.status);
  return reply.ok;
}

const char* KXLibCurl::GetHttpResponse(size_t* length, bool) {
  note("response");
  if (length != nullptr) *length = impl_->last.body.size();
  return impl_->last.body.c_str();
}

std::string KXLibCurl::GetHttpResponseHeader(const std::string& name) {
  note("header " + name);
  for (const std::string& line : impl_->last.headers) {
    size_t colon = line.find(':');
    if (colon != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < colon && same; ++i) {
      same = std::tolower(static_cast<unsigned char>(line[i])) ==
             std::tolower(static_cast<unsigned char>(name[i]));
    }
    if (same) return line;
  }
  return std::string();
}

std::string KXLibCurl::GetLastError() const { return impl_->lastError; }

long KXLibCurl::GetHttpStatus() const { return impl_->last.status; }
