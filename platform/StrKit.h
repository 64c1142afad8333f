// Host string helpers.
#ifndef KXPLATFORM_STRKIT_H
#define KXPLATFORM_STRKIT_H

#include <cstddef>

#include "KXPlatformConfig.h"

class KXPLATFORM_API StrKit {
 public:
  // 1-based position of the first occurrence of needle in text, 0 when it
  // does not occur (or either is null). ignoreCase compares ASCII letters
  // without regard to case. An empty needle occurs at position 1.
  static size_t FindString(const char* text, const char* needle, bool ignoreCase);
};

#endif  // KXPLATFORM_STRKIT_H
