// Reads a JSON text file and parses it with one library, for peak-RSS
// comparisons under /usr/bin/time -v (measure_memory.sh).
// Usage: json_mem generate FILE | json_mem read|jsonxx|nlohmann|rapidjson FILE
#include <cstdio>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <sstream>
#include <string>

#include "array_listing.h"
#include "jsonxx.h"

namespace {

bool parseWith(const std::string& mode, const std::string& text, size_t* members) {
  if (mode == "jsonxx") {
    jsonxx::Array a;
    const bool ok = a.parse(text);
    *members = a.size();
    return ok;
  }
  if (mode == "nlohmann") {
    const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    *members = j.size();
    return !j.is_discarded();
  }
  if (mode == "rapidjson") {
    rapidjson::Document d;
    d.Parse(text.c_str(), text.size());
    *members = d.IsArray() ? d.Size() : 0;
    return !d.HasParseError();
  }
  *members = text.size();
  return mode == "read";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s generate|read|jsonxx|nlohmann|rapidjson FILE\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  if (mode == "generate") {
    std::ofstream(argv[2], std::ios::binary) << kxbench::volumeList(50000);
    return 0;
  }
  std::ifstream in(argv[2], std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t members = 0;
  if (!parseWith(mode, text, &members)) {
    std::fprintf(stderr, "%s: parse failed\n", mode.c_str());
    return 1;
  }
  std::printf("%s: %zu bytes, %zu members\n", mode.c_str(), text.size(), members);
  return 0;
}
