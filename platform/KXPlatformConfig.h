// Configuration of the platform layer. Every value is read from the
// environment on first use (not at library load), so a program that loads
// the plug-in can still set the environment or call a setter first. A
// setter always wins over the environment.
//
//   KX_HOSTLOG_FILE          host log file (appended); unset: standard error
//   KX_HOSTLOG_LEVEL         highest level written (-1 errors only .. 4 all); default 4
//   KX_REGISTRY_FILE         registry file for KXPlatformInfo::getRegInt
//   KX_HTTP_CAFILE           CA bundle the HTTP client trusts
//   KX_HTTP_INSECURE         1/true/yes: no certificate checks (explicit opt-out)
//   KX_HTTP_CONNECT_TIMEOUT  seconds, default 15
//   KX_HTTP_TIMEOUT          seconds for a whole request, default 120
#ifndef KXPLATFORM_CONFIG_H
#define KXPLATFORM_CONFIG_H

#include <string>

#define KXPLATFORM_API __attribute__((visibility("default")))

namespace kxplatform {

struct HttpSettings {
  std::string caFile;
  bool insecure = false;
  long connectTimeoutSec = 15;
  long timeoutSec = 120;
};

KXPLATFORM_API std::string logFile();
KXPLATFORM_API int logLevel();
KXPLATFORM_API std::string registryFile();
KXPLATFORM_API HttpSettings httpSettings();

KXPLATFORM_API void setLogFile(const std::string& path);  // empty: standard error
KXPLATFORM_API void setLogLevel(int level);
KXPLATFORM_API void setRegistryFile(const std::string& path);
KXPLATFORM_API void setHttpCaFile(const std::string& path);
KXPLATFORM_API void setHttpInsecure(bool insecure);
KXPLATFORM_API void setHttpConnectTimeout(long seconds);
KXPLATFORM_API void setHttpTimeout(long seconds);

}  // namespace kxplatform

// The same setters for programs that only have C linkage to the layer: name
// is one of the environment names above. Returns 0, or -1 for an unknown
// name or a value that does not parse.
extern "C" KXPLATFORM_API int kxplatform_set(const char* name, const char* value);

#endif  // KXPLATFORM_CONFIG_H
