// The host debug log. Lines carry the time, the level and a context name.
// Logging never fails and never throws; lines above the configured level
// are dropped. Safe to use from several threads.
//
// Levels: -1 error, 0, 1, 2, 4 (4 the most detailed).
#ifndef KXPLATFORM_HOSTLOG_H
#define KXPLATFORM_HOSTLOG_H

#include <cstdarg>
#include <string>

#include "KXPlatformConfig.h"

#if defined(__GNUC__)
#define KX_LOG_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define KX_LOG_PRINTF(fmt, args)
#endif

class KXPLATFORM_API HostLog {
 public:
  // The global instance: no context of its own.
  HostLog() noexcept;
  // A local instance: lines from debugLvl carry this context.
  explicit HostLog(const char* context) noexcept;
  ~HostLog();

  HostLog(const HostLog&) = delete;
  HostLog& operator=(const HostLog&) = delete;

  void debugLvl(int level, const char* fmt, ...) noexcept KX_LOG_PRINTF(3, 4);
  void DebugLvl(const char* context, int level, const char* fmt, ...) noexcept
      KX_LOG_PRINTF(4, 5);
  void vlog(const char* context, int level, const char* fmt, va_list args) noexcept;

  // Writes one line as it stands (no format). Used for texts that must not
  // be taken as a format.
  void write(const char* context, int level, const char* text) noexcept;

 private:
  std::string context_;
};

#endif  // KXPLATFORM_HOSTLOG_H
