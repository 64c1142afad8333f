#include "KxDeviceTree.h"

#include <exception>
#include <string>

#include "KxDeviceBackends.h"

KxDeviceRef KxDeviceTree::getDevice(const char* name, CZuError& error) {
  error.SetSuccess();
  try {
    if (name == nullptr || name[0] == '\0') {
      error.Set(-1, "No device name given");
      return nullptr;
    }
    if (KxDeviceRef lun = kxplatform::detail::openVirtualLun(name)) return lun;
    return kxplatform::detail::openLinuxDevice(name, error);
  } catch (const std::exception& e) {
    error.Set(-1, std::string("Device lookup failed: ") + e.what());
  } catch (...) {
    error.Set(-1, "Device lookup failed");
  }
  return nullptr;
}
