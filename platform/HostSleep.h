// The host sleep primitive: blocks the calling thread for the given number
// of milliseconds. The caller passes its source name and line for the
// host's diagnostics.
#ifndef KXPLATFORM_HOSTSLEEP_H
#define KXPLATFORM_HOSTSLEEP_H

#include <functional>

#include "KXPlatformConfig.h"

KXPLATFORM_API void HostSleep(unsigned int milliseconds, const char* file, int line);

#define KX_HOST_SLEEP(ms) HostSleep((ms), __FILE__, __LINE__)

namespace kxplatform {
// Replaces the real sleep (tests, fast demos); an empty function restores it.
using SleepHook = std::function<void(unsigned int milliseconds, const char* file, int line)>;
KXPLATFORM_API void setSleepHook(SleepHook hook);
}  // namespace kxplatform

#endif  // KXPLATFORM_HOSTSLEEP_H
