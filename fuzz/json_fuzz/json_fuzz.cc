// Parses arbitrary bytes as object, array and value; every document that
// parses must write a json() text that parses again to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "jsonxx.h"

namespace {

[[noreturn]] void mismatch(const char* what, const std::string& text) {
  std::fprintf(stderr, "json_fuzz: %s\n--- written form ---\n%s\n", what, text.c_str());
  std::abort();
}

template <typename Document>
void checkRoundTrip(const Document& doc) {
  const std::string written = doc.json();
  Document again;
  if (!again.parse(written)) mismatch("written form does not parse", written);
  if (again.json() != written) mismatch("written form parses to another text", written);
  if (!jsonxx::validate(written)) mismatch("written form does not validate", written);
  std::ostringstream compact;
  compact << doc;
}

template <typename Document>
void parseAs(const std::string& text) {
  Document doc;
  if (doc.parse(text)) checkRoundTrip(doc);
}

void parseAsValue(const std::string& text) {
  jsonxx::Value v;
  if (!v.parse(text)) return;
  if (v.is<jsonxx::Array>()) {
    checkRoundTrip(v.get<jsonxx::Array>());
  } else if (v.is<jsonxx::Object>()) {
    checkRoundTrip(v.get<jsonxx::Object>());
  } else {
    jsonxx::Array holder;
    holder << v;
    checkRoundTrip(holder);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  parseAs<jsonxx::Object>(text);
  parseAs<jsonxx::Array>(text);
  parseAsValue(text);
  jsonxx::validate(text);
  jsonxx::reformat(text);
  return 0;
}
