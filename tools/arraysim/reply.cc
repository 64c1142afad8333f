#include "reply.h"

namespace arraysim {

using nlohmann::json;

const char kEradicationDisabled[] =
    "Eradication is disabled. SafeMode protects destroyed objects until they expire.";

Reply jsonReply(const json& body, int status) {
  Reply r;
  r.status = status;
  r.body = body.dump();
  return r;
}

Reply faError(const std::string& msg, const std::string& ctx, int status) {
  return jsonReply(json::array({{{"msg", msg}, {"ctx", ctx}}}), status);
}

Reply fbError(const std::string& message, const std::string& context, int status) {
  return jsonReply({{"errors", json::array({{{"message", message}, {"context", context}}})}},
                   status);
}

}  // namespace arraysim
