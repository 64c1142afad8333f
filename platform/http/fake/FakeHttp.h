// The recording HTTP client for unit tests: a KXLibCurl (same class, same
// header) that carries out nothing. Every call is recorded, process-wide,
// and every request is answered from a queue of scripted replies, or else
// by a handler, or else with a failure and an empty body.
//
//   kxfakehttp::reset();
//   kxfakehttp::queueReply({true, "{\"username\":\"u\"}"});
//   ... code under test ...
//   EXPECT_EQ(kxfakehttp::requests().at(0).url, "https://a/api/1.4/auth/session");
#ifndef KXPLATFORM_FAKEHTTP_H
#define KXPLATFORM_FAKEHTTP_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "KXLibCurl.h"

namespace kxfakehttp {

struct Reply {
  Reply() = default;
  Reply(bool ok_, std::string body_, std::vector<std::string> headers_ = {}, long status_ = 0)
      : ok(ok_), body(std::move(body_)), headers(std::move(headers_)), status(status_) {}

  bool ok = true;                    // the answer of KXLibCurlSendHttpReq
  std::string body;                  // what GetHttpResponse hands out afterwards
  std::vector<std::string> headers;  // response header lines as received
  long status = 0;                   // 0: 200 when ok, else 400
};

// One request as the client sent it.
struct Request {
  int client = 0;                    // number of the KXLibCurl object (1, 2, ...)
  int type = -1;                     // _http_req_type_
  std::string url;
  bool hasBody = false;              // a non-null body of non-zero length
  std::string body;
  std::vector<std::string> headers;  // the non-empty kind-0 lines, in order
  std::string cookieKey;             // the kind-3 name in force
};

using Handler = std::function<Reply(const Request&)>;

// Forgets the recorded calls, the queued replies, the handler and the
// knobs; the object numbering starts again at 1.
void reset();
void queueReply(const Reply& reply);
void setHandler(Handler handler);
// What KXLibCurlInit answers (default true).
void setInitResult(bool ok);
// KXLibCurlAppendHeader refuses header texts that start with prefix.
void refuseHeader(const std::string& prefix);

std::vector<Request> requests();
// Every call in order: "init", "free", "append <kind> <text>",
// "send <type> <url>", "response", "header <name>".
std::vector<std::string> events();
int clientsCreated();
int clientsAlive();

}  // namespace kxfakehttp

#endif  // KXPLATFORM_FAKEHTTP_H
