// Reading array answers with jsonxx. A broken accessor precondition (a
// member missing or of another kind where the code relied on it) throws
// jsonxx::PreconditionError; guardJson turns it into a failed operation
// with an error text that names the response, so it never ends the host
// process.
#ifndef PURESTOR_RESTJSON_H
#define PURESTOR_RESTJSON_H

#include <string>

#include "jsonxx.h"

// The string member key, or null when it is missing or not a string.
inline const std::string* stringMember(const jsonxx::Object& o, const std::string& key) {
  return o.has<jsonxx::String>(key) ? &o.get<jsonxx::String>(key) : nullptr;
}

// Runs op; on a broken precondition sets error (through setError) to
// "<what>: unexpected content in response [<response>] from array [<server>]"
// and returns false.
template <typename Op, typename SetError>
bool guardJson(const char* what, const std::string& response, const std::string& server,
               SetError setError, Op op) {
  try {
    return op();
  } catch (const jsonxx::PreconditionError& e) {
    setError(std::string(what) + ": unexpected content in response [" + response +
             "] from array [" + server + "] (" + e.what() + ")");
    return false;
  }
}

#endif  // PURESTOR_RESTJSON_H
