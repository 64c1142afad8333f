// Host registry lookups, backed by the registry file (KX_REGISTRY_FILE).
//
// File format, one value per line:
//   SECTION/NAME = INTEGER      e.g. ~Ferrowin/nPureStorPostSnapRetryCount = 5
// Blank lines and lines starting with '#' are skipped. The key is split at
// its last '/'. A missing file means no values; a malformed line is skipped
// with a log line. A key given twice: the last line wins.
#ifndef KXPLATFORM_PLATFORMINFO_H
#define KXPLATFORM_PLATFORMINFO_H

#include "KXPlatformConfig.h"

class KXPLATFORM_API KXPlatformInfo {
 public:
  // true and *value set when SECTION/NAME has an integer value.
  static bool getRegInt(const char* section, const char* name, int* value);
};

#endif  // KXPLATFORM_PLATFORMINFO_H
