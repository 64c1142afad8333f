// An answer of the simulator before it is written to the wire, and the
// error shapes of the two array kinds.
#ifndef ARRAYSIM_REPLY_H_
#define ARRAYSIM_REPLY_H_

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace arraysim {

struct Reply {
  int status = 200;
  std::string body;
  std::string content_type = "application/json";
  std::vector<std::pair<std::string, std::string>> headers;
  bool drop = false;  // close the connection without an answer
};

// The SafeMode refusal of both array kinds.
extern const char kEradicationDisabled[];

Reply jsonReply(const nlohmann::json& body, int status = 200);

// FlashArray: a JSON list of {"msg", "ctx"}; HTTP 400 unless told.
Reply faError(const std::string& msg, const std::string& ctx, int status = 400);

// FlashBlade: {"errors": [{"message", "context"}]}; HTTP 400 unless told.
Reply fbError(const std::string& message, const std::string& context, int status = 400);

}  // namespace arraysim

#endif  // ARRAYSIM_REPLY_H_
