// Devices of the host device tree and the interfaces they offer.
//
// A KxDevice is reached through a reference-counted handle (KxDeviceRef)
// from KxDeviceTree::getDevice. Its interfaces are asked for by name; the
// pointer returned lives as long as the device. Devices are not meant to be
// shared between threads; the tree itself is safe to use from several.
#ifndef KXPLATFORM_KXDEVICE_H
#define KXPLATFORM_KXDEVICE_H

#include <memory>
#include <string>

#include "CZuError.h"
#include "KXPlatformConfig.h"

// The name under which a device offers its SCSI pass-through interface.
constexpr const char* kKxDeviceScsiIface = "KxDeviceScsiIface";

// Base of every device interface.
class KXPLATFORM_API KxDeviceIface {
 public:
  virtual ~KxDeviceIface();
};

// Data directions of KxDeviceScsiIface::Command.
enum KxScsiDirection : int {
  kKxScsiNoData = 0,
  kKxScsiDataIn = 1,   // device to host
  kKxScsiDataOut = 2,  // host to device
};

// SCSI pass-through ("KxDeviceScsiIface").
class KXPLATFORM_API KxDeviceScsiIface : public KxDeviceIface {
 public:
  // Sends one command and waits for it.
  //   cdb, cdbLen        the command descriptor block (6 to 16 bytes)
  //   data, dataLen      the data buffer and its size (data may be null
  //                      when dataLen is 0)
  //   senseLen           0: sense data is not asked for; it is summed up in
  //                      the error text of a failed command either way
  //   direction          a KxScsiDirection
  //   lun, flags         0 (the device's own LUN; no flags)
  //   timeoutSec         time-out of the command in seconds (> 0)
  //   error              set on failure; left alone on success
  // Returns the number of data bytes transferred (0 or more), or -1 on any
  // failure: transport, host adapter, driver or SCSI status, or arguments.
  virtual int Command(const unsigned char* cdb, int cdbLen, unsigned char* data, int dataLen,
                      int senseLen, int direction, int lun, int flags, int timeoutSec,
                      CZuError& error) = 0;
};

class KXPLATFORM_API KxDevice {
 public:
  virtual ~KxDevice();

  // The interface registered under name (kKxDeviceScsiIface is the only
  // one), or null when the device does not offer it.
  virtual KxDeviceIface* QueryInterface(const char* name) = 0;
  // The name the device was opened under.
  virtual std::string GetName() const = 0;
};

using KxDeviceRef = std::shared_ptr<KxDevice>;

#endif  // KXPLATFORM_KXDEVICE_H
