#include "KXSOPureStor.h"

namespace kxso {
std::string operationName(const char* suffix) {
  return std::string(kVendorName) + (suffix ? suffix : "");
}
}  // namespace kxso
