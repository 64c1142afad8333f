// The back ends behind KxDeviceTree (internal to the platform layer).
#ifndef KXPLATFORM_KXDEVICEBACKENDS_H
#define KXPLATFORM_KXDEVICEBACKENDS_H

#include <string>

#include "CZuError.h"
#include "KXPlatformConfig.h"
#include "KxDevice.h"

namespace kxplatform {
namespace detail {

// The registered virtual LUN of that name, or empty when none.
KxDeviceRef openVirtualLun(const std::string& name);

// The node to open for path: symbolic links followed, a device-mapper node
// (basename dm-N) replaced by its first sd slave (else its first slave,
// followed again) as listed in sysBlock/dm-N/slaves, named under devDir.
// path itself when it cannot be resolved. Exported for tests only.
KXPLATFORM_API std::string resolveScsiNode(const std::string& path, const std::string& sysBlock,
                                           const std::string& devDir);

// The device node of that name, or empty with the reason in error.
KxDeviceRef openLinuxDevice(const std::string& name, CZuError& error);

}  // namespace detail
}  // namespace kxplatform

#endif  // KXPLATFORM_KXDEVICEBACKENDS_H
