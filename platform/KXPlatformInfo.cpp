#include "KXPlatformInfo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

#include "HostLog.h"

namespace {

std::string trim(const std::string& s) {
  const char* ws = " \t\r\n";
  size_t b = s.find_first_not_of(ws);
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(ws);
  return s.substr(b, e - b + 1);
}

bool parseInt(const std::string& text, int* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < INT_MIN || v > INT_MAX) return false;
  *out = static_cast<int>(v);
  return true;
}

// One line: "SECTION/NAME = VALUE". Returns false for a malformed line.
bool parseLine(const std::string& line, std::string* section, std::string* name, int* value) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  std::string key = trim(line.substr(0, eq));
  size_t slash = key.rfind('/');
  if (slash == std::string::npos || slash == 0 || slash + 1 == key.size()) return false;
  *section = key.substr(0, slash);
  *name = key.substr(slash + 1);
  return parseInt(trim(line.substr(eq + 1)), value);
}

}  // namespace

bool KXPlatformInfo::getRegInt(const char* section, const char* name, int* value) {
  if (section == nullptr || name == nullptr || value == nullptr) return false;
  try {
    const std::string path = kxplatform::registryFile();
    if (path.empty()) return false;
    std::ifstream in(path);
    if (!in) return false;
    bool found = false;
    int result = 0;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      std::string t = trim(line);
      if (t.empty() || t[0] == '#') continue;
      std::string s, n;
      int v = 0;
      if (!parseLine(t, &s, &n, &v)) {
        HostLog log("KXPlatformInfo::getRegInt");
        log.debugLvl(2, "Skipping malformed registry line %d of [%s]", number, path.c_str());
        continue;
      }
      if (s == section && n == name) {
        found = true;
        result = v;
      }
    }
    if (found) *value = result;
    return found;
  } catch (...) {
    return false;
  }
}
