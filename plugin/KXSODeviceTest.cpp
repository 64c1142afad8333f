// The host's device test: is this a FlashArray volume?
#include <algorithm>
#include <cstring>
#include <string>

#include "KXSOPureStor.h"
#include "PureStorUtilsErrors.h"
#include "PureStorUtilsScsi.h"

namespace {
constexpr const char* kSnapEngineName = "Pure Storage FlashArray Snap";
}  // namespace

int isDeviceSupported(const char* device, char* error, short errorLen) {
  const bool haveBuffer = error != nullptr && errorLen > 0;
  if (haveBuffer) std::memset(error, 0, static_cast<size_t>(errorLen));
  const char* name = device != nullptr ? device : "";
  std::string vendor, product, reason;
  if (!getStdInfoForDevice(name, vendor, product, reason)) {
    if (haveBuffer) {
      size_t n = std::min(reason.size(), static_cast<size_t>(errorLen - 1));
      std::memcpy(error, reason.data(), n);
      error[n] = '\0';
    }
    return 1;
  }
  if (vendor != kPureVendor) {
    g_HostLog.debugLvl(-1, "Dev[%s] does not belong to '%s' vendor", name, kPureVendor);
    return 1;
  }
  if (product != kPureProduct) {
    g_HostLog.debugLvl(-1, "Dev[%s] does not belong to '%s' family", name, kPureProduct);
    return 1;
  }
  g_HostLog.debugLvl(1, "Device-[%s] Vendor-[%s] Product-[%s] supported by [%s].\n", name,
                     vendor.c_str(), product.c_str(), kSnapEngineName);
  return 0;
}
