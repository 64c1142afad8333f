#include "ModelBuffers.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kxhost {

int copyToIntBuffer(const std::string& text, char* buf, int* len) {
  if (buf == nullptr || len == nullptr) return 1;
  const size_t needed = text.size() + 1;
  if (*len <= 0 || needed > static_cast<size_t>(*len)) {
    if (*len > 0) buf[0] = '\0';
    *len = needed > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(needed);
    return 2;
  }
  std::memcpy(buf, text.c_str(), needed);
  return 0;
}

int copyToShortBuffer(const std::string& text, char* buf, short* len) {
  if (buf == nullptr || len == nullptr) return 1;
  int capacity = *len;
  const int rc = copyToIntBuffer(text, buf, &capacity);
  if (rc == 2) *len = capacity > SHRT_MAX ? SHRT_MAX : static_cast<short>(capacity);
  return rc;
}

int copyToBuffer(const std::string& text, char* buf, int capacity) {
  if (buf == nullptr) return -1;
  int len = capacity;
  const int rc = copyToIntBuffer(text, buf, &len);
  return rc == 0 ? 0 : len;
}

std::string formatText(const char* fmt, va_list args) {
  if (fmt == nullptr) return std::string();
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n <= 0) return std::string();
  std::vector<char> out(static_cast<size_t>(n) + 1);
  std::vsnprintf(out.data(), out.size(), fmt, args);
  return std::string(out.data(), static_cast<size_t>(n));
}

std::string joinTexts(const std::vector<std::string>& texts, char separator) {
  std::string out;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) out += separator;
    out += texts[i];
  }
  return out;
}

}  // namespace kxhost
