// From one received request to its Reply: the admin API, fault rules,
// sessions and the REST resource families. Independent of the HTTP server
// so that tests can drive it directly.
#ifndef ARRAYSIM_DISPATCH_H_
#define ARRAYSIM_DISPATCH_H_

#include <cstdint>
#include <string>

#include "reply.h"
#include "sim_array.h"

namespace arraysim {

struct Incoming {
  std::string method;
  std::string target;  // raw request target, query included
  std::string body;
  std::string cookie;        // the Cookie header
  std::string api_token;     // the api-token header
  std::string x_auth_token;  // the x-auth-token header
  uint64_t conn = 0;         // TLS connection number
};

// True for the admin API, which is neither logged nor counted.
bool isAdminTarget(const std::string& target);

// The admin API under /sim/v1/.
Reply handleAdmin(SimArray& arr, Fleet& fleet, const Incoming& in);

// A REST request: fault rules first, then the array; logs it.
Reply handleRest(SimArray& arr, Fleet& fleet, const Incoming& in);

// The array's answer without faults or logging (sessions.cc).
Reply routeRest(SimArray& arr, Fleet& fleet, const Incoming& in);

// The value of cookie `name` in a Cookie header, or empty.
std::string cookieValue(const std::string& header, const std::string& name);

}  // namespace arraysim

#endif  // ARRAYSIM_DISPATCH_H_
