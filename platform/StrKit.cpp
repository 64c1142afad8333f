#include "StrKit.h"

#include <cstring>

namespace {
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

size_t StrKit::FindString(const char* text, const char* needle, bool ignoreCase) {
  if (text == nullptr || needle == nullptr) return 0;
  const size_t n = std::strlen(needle);
  if (!ignoreCase) {
    const char* hit = std::strstr(text, needle);
    return hit ? static_cast<size_t>(hit - text) + 1 : 0;
  }
  for (const char* p = text;; ++p) {
    size_t k = 0;
    while (k < n && p[k] != '\0' && lower(p[k]) == lower(needle[k])) ++k;
    if (k == n) return static_cast<size_t>(p - text) + 1;
    if (*p == '\0') return 0;
  }
}
