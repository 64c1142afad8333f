#include "VirtualLun.h"

#include "HostLog.h"
#include "KxInquiryBuilder.h"
#include "KxVirtualLun.h"

namespace kxsnap {

void registerVirtualLun(const std::string& device, const std::string& serial,
                        const std::string& port, bool iscsi, const std::string& volume) {
  kxplatform::FlashArrayLun lun;
  lun.serial = serial;
  lun.port = port;
  lun.iscsi = iscsi;
  lun.volumeName = volume;
  if (!kxplatform::registerFlashArrayLun(device, lun)) {
    HostLog log("kxsnap.san");
    log.debugLvl(-1, "cannot present volume [%s] serial [%s] port [%s] as device [%s]",
                 volume.c_str(), serial.c_str(), port.c_str(), device.c_str());
  }
}

void unregisterVirtualLun(const std::string& device) { kxplatform::unregisterVirtualLun(device); }

}  // namespace kxsnap
