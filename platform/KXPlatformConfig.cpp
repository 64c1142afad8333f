#include "KXPlatformConfig.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <strings.h>

namespace kxplatform {
namespace {

struct Settings {
  std::optional<std::string> logFile;
  std::optional<int> logLevel;
  std::optional<std::string> registryFile;
  std::optional<std::string> caFile;
  std::optional<bool> insecure;
  std::optional<long> connectTimeout;
  std::optional<long> timeout;
};

std::mutex& settingsMutex() {
  static std::mutex m;
  return m;
}

Settings& settings() {
  static Settings s;
  return s;
}

bool parseLong(const char* text, long* out) {
  if (text == nullptr || *text == '\0') return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0') return false;
  *out = v;
  return true;
}

bool parseBool(const char* text, bool* out) {
  if (text == nullptr) return false;
  for (const char* t : {"1", "true", "yes", "on"}) {
    if (strcasecmp(text, t) == 0) return *out = true, true;
  }
  for (const char* f : {"0", "false", "no", "off", ""}) {
    if (strcasecmp(text, f) == 0) return *out = false, true;
  }
  return false;
}

std::string envText(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

long envLong(const char* name, long fallback) {
  long v = 0;
  return parseLong(std::getenv(name), &v) ? v : fallback;
}

}  // namespace

std::string logFile() {
  std::lock_guard<std::mutex> lock(settingsMutex());
  return settings().logFile ? *settings().logFile : envText("KX_HOSTLOG_FILE");
}

int logLevel() {
  std::lock_guard<std::mutex> lock(settingsMutex());
  if (settings().logLevel) return *settings().logLevel;
  const long level = envLong("KX_HOSTLOG_LEVEL", 4);
  return (level < INT_MIN || level > INT_MAX) ? 4 : static_cast<int>(level);
}

std::string registryFile() {
  std::lock_guard<std::mutex> lock(settingsMutex());
  return settings().registryFile ? *settings().registryFile : envText("KX_REGISTRY_FILE");
}

HttpSettings httpSettings() {
  std::lock_guard<std::mutex> lock(settingsMutex());
  const Settings& s = settings();
  HttpSettings h;
  h.caFile = s.caFile ? *s.caFile : envText("KX_HTTP_CAFILE");
  bool insecure = false;
  h.insecure = s.insecure ? *s.insecure
                          : (parseBool(std::getenv("KX_HTTP_INSECURE"), &insecure) && insecure);
  h.connectTimeoutSec = s.connectTimeout ? *s.connectTimeout : envLong("KX_HTTP_CONNECT_TIMEOUT", 15);
  h.timeoutSec = s.timeout ? *s.timeout : envLong("KX_HTTP_TIMEOUT", 120);
  if (h.connectTimeoutSec <= 0) h.connectTimeoutSec = 15;
  if (h.timeoutSec <= 0) h.timeoutSec = 120;
  return h;
}

#define KX_SETTER(fn, field, type)                         \
  void fn(type value) {                                    \
    std::lock_guard<std::mutex> lock(settingsMutex());     \
    settings().field = value;                              \
  }
KX_SETTER(setLogFile, logFile, const std::string&)
KX_SETTER(setLogLevel, logLevel, int)
KX_SETTER(setRegistryFile, registryFile, const std::string&)
KX_SETTER(setHttpCaFile, caFile, const std::string&)
KX_SETTER(setHttpInsecure, insecure, bool)
KX_SETTER(setHttpConnectTimeout, connectTimeout, long)
KX_SETTER(setHttpTimeout, timeout, long)
#undef KX_SETTER

}  // namespace kxplatform

extern "C" int kxplatform_set(const char* name, const char* value) {
  using namespace kxplatform;
  if (name == nullptr || value == nullptr) return -1;
  const std::string n(name);
  long number = 0;
  bool flag = false;
  if (n == "KX_HOSTLOG_FILE") return setLogFile(value), 0;
  if (n == "KX_REGISTRY_FILE") return setRegistryFile(value), 0;
  if (n == "KX_HTTP_CAFILE") return setHttpCaFile(value), 0;
  if (n == "KX_HOSTLOG_LEVEL" && parseLong(value, &number) && number >= INT_MIN && number <= INT_MAX)
    return setLogLevel(static_cast<int>(number)), 0;
  if (n == "KX_HTTP_INSECURE" && parseBool(value, &flag)) return setHttpInsecure(flag), 0;
  if (n == "KX_HTTP_CONNECT_TIMEOUT" && parseLong(value, &number) && number > 0)
    return setHttpConnectTimeout(number), 0;
  if (n == "KX_HTTP_TIMEOUT" && parseLong(value, &number) && number > 0)
    return setHttpTimeout(number), 0;
  return -1;
}
