#include "HostSleep.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace kxplatform {
namespace {
std::mutex& hookMutex() {
  static std::mutex m;
  return m;
}
SleepHook& hook() {
  static SleepHook h;
  return h;
}
}  // namespace

void setSleepHook(SleepHook h) {
  std::lock_guard<std::mutex> lock(hookMutex());
  hook() = std::move(h);
}
}  // namespace kxplatform

void HostSleep(unsigned int milliseconds, const char* file, int line) {
  kxplatform::SleepHook h;
  {
    std::lock_guard<std::mutex> lock(kxplatform::hookMutex());
    h = kxplatform::hook();
  }
  if (h) {
    h(milliseconds, file, line);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
