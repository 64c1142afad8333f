// The host device tree: opens a device by name.
//
// Names registered as virtual LUNs (KxVirtualLun.h) are answered by the
// registry without touching the operating system. Any other name is a
// device node of this machine (Linux): /dev/sdX, /dev/sgN, a symbolic link
// such as /dev/disk/by-id/..., or a device-mapper node (/dev/mapper/...,
// /dev/dm-N), which is resolved to the first SCSI disk beneath it. The node
// is opened read-only and non-blocking; a node that is not a SCSI device
// (no SG_IO support, such as /dev/null) opens, but offers no
// "KxDeviceScsiIface".
#ifndef KXPLATFORM_KXDEVICETREE_H
#define KXPLATFORM_KXDEVICETREE_H

#include "CZuError.h"
#include "KXPlatformConfig.h"
#include "KxDevice.h"

class KXPLATFORM_API KxDeviceTree {
 public:
  // The device of that name, or an empty handle with the reason in error
  // (which is set to success first). Never throws.
  static KxDeviceRef getDevice(const char* name, CZuError& error);
};

#endif  // KXPLATFORM_KXDEVICETREE_H
