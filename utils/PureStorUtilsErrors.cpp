#include "PureStorUtilsErrors.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

bool checkPassedInDevices(KXSO::SnapInfo** records, short count, KXSO::KXOSUtil* util) {
  HostLog log("PureStorUtils::checkPassedInDevices");
  const char* ctx = "PureStorUtils::checkPassedInDevices";
  if (count < 1) {
    log.DebugLvl(ctx, -1, "Device count[%d] not valid", count);
    return false;
  }
  if (records == nullptr || records[0] == nullptr) {
    log.DebugLvl(ctx, -1, "Device list is null");
    return false;
  }
  if (util == nullptr) {
    log.DebugLvl(ctx, -1, "Snap Util object is null");
    return false;
  }
  for (short i = 0; i < count; ++i) {
    if (records[i] == nullptr) {
      log.DebugLvl(ctx, -1, "Invalid SnapInfo pointer.");
      return false;
    }
  }
  return true;
}

void setError(KXSO::SnapInfo* record, int code, const char* context, const char* message) {
  if (record == nullptr || context == nullptr || message == nullptr) return;
  char buf[KXSO::ERROR_BUFFER_SIZE] = {0};
  std::snprintf(buf, KXSO::ERROR_BUFFER_LIMIT, "%s", message);
  record->logWithContext(2, context, "%s", buf);
  record->setErrorInfo(code, buf);
}

void setErrorF(KXSO::SnapInfo* record, int code, const char* context, const char* fmt, ...) {
  if (fmt == nullptr) return;
  char buf[KXSO::ERROR_BUFFER_SIZE] = {0};
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buf, KXSO::ERROR_BUFFER_LIMIT, fmt, args);
  va_end(args);
  setError(record, code, context, buf);
}
