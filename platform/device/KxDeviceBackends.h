// The back ends behind KxDeviceTree (internal to the platform layer).
#ifndef KXPLATFORM_KXDEVICEBACKENDS_H
#define KXPLATFORM_KXDEVICEBACKENDS_H

#include <string>

#include "CZuError.h"
#include "KxDevice.h"

namespace kxplatform {
namespace detail {

// The registered virtual LUN of that name, or empty when none.
KxDeviceRef openVirtualLun(const std::string& name);

// The device node of that name, or empty with the reason in error.
KxDeviceRef openLinuxDevice(const std::string& name, CZuError& error);

}  // namespace detail
}  // namespace kxplatform

#endif  // KXPLATFORM_KXDEVICEBACKENDS_H
