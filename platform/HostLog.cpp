#include "HostLog.h"

#include <sys/time.h>

#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

namespace {

// One sink for every HostLog of the process. The target follows the
// configuration: a changed log file is opened on the next line.
class LogSink {
 public:
  static LogSink& instance() {
    static LogSink* sink = new LogSink();  // never destroyed: usable at exit
    return *sink;
  }

  void writeLine(const std::string& line) noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    FILE* out = target();
    std::fwrite(line.data(), 1, line.size(), out);
    std::fflush(out);
  }

 private:
  FILE* target() noexcept {
    std::string wanted;
    try {
      wanted = kxplatform::logFile();
    } catch (...) {
      return stderr;
    }
    if (wanted != path_) {
      if (file_ != nullptr) std::fclose(file_);
      file_ = wanted.empty() ? nullptr : std::fopen(wanted.c_str(), "a");
      path_ = wanted;
    }
    return file_ != nullptr ? file_ : stderr;
  }

  std::mutex mutex_;
  std::string path_;
  FILE* file_ = nullptr;
};

std::string timestamp() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm tm{};
  gmtime_r(&tv.tv_sec, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                static_cast<int>(tv.tv_usec / 1000));
  return buf;
}

std::string formatMessage(const char* fmt, va_list args) {
  if (fmt == nullptr) return std::string();
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return std::string(fmt);
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, n);
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), fmt, args);
  return std::string(big.data(), n);
}

void emit(const char* context, int level, const std::string& message) {
  if (level > kxplatform::logLevel()) return;
  std::string line = timestamp();
  line += " L";
  line += std::to_string(level);
  line += " [";
  line += context ? context : "";
  line += "] ";
  line += message;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  line += '\n';
  LogSink::instance().writeLine(line);
}

}  // namespace

HostLog::HostLog() noexcept = default;

HostLog::HostLog(const char* context) noexcept {
  try {
    if (context != nullptr) context_ = context;
  } catch (...) {
  }
}

HostLog::~HostLog() = default;

void HostLog::vlog(const char* context, int level, const char* fmt, va_list args) noexcept {
  try {
    emit(context, level, formatMessage(fmt, args));
  } catch (...) {
  }
}

void HostLog::write(const char* context, int level, const char* text) noexcept {
  try {
    emit(context, level, text ? text : "");
  } catch (...) {
  }
}

void HostLog::debugLvl(int level, const char* fmt, ...) noexcept {
  va_list args;
  va_start(args, fmt);
  vlog(context_.c_str(), level, fmt, args);
  va_end(args);
}

void HostLog::DebugLvl(const char* context, int level, const char* fmt, ...) noexcept {
  va_list args;
  va_start(args, fmt);
  vlog(context, level, fmt, args);
  va_end(args);
}
