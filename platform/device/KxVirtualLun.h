// Virtual LUNs: devices of the device tree that exist only in this process.
//
// One registry per process, kept by libkxplatform, so a host program and a
// plug-in it loads see the same devices. A registered name is answered by
// KxDeviceTree::getDevice before any device node is looked at; removing it
// makes the name unknown again (handles already open keep working on the
// data they were opened with). All functions are safe to call from several
// threads.
//
// A LUN is either data or a responder:
//
//   kxplatform::registerVirtualLun("/dev/kx-lun1", stdInquiry, page83);
//   kxplatform::registerVirtualLun("/dev/kx-lun2", [](const KxVirtualScsiCommand& c,
//                                                     CZuError& e) { ... });
//   kxplatform::unregisterVirtualLun("/dev/kx-lun1");
//
// A data LUN answers INQUIRY (0x12): EVPD 0 with page code 0 gives the
// standard data; EVPD 1 gives page 0x00 (the supported pages 0x00 and
// 0x83, made up) or page 0x83; any other page fails as a SCSI CHECK
// CONDITION (ILLEGAL REQUEST). TEST UNIT READY (0x00) succeeds with no
// data; every other command fails. The answer is cut to the smaller of the
// allocation length (CDB byte 4, and byte 3 as its high byte) and the
// data buffer; the rest of the buffer is left as it was.
#ifndef KXPLATFORM_KXVIRTUALLUN_H
#define KXPLATFORM_KXVIRTUALLUN_H

#include <functional>
#include <string>
#include <vector>

#include "CZuError.h"
#include "KXPlatformConfig.h"

// One command as a responder receives it (the arguments of
// KxDeviceScsiIface::Command).
struct KxVirtualScsiCommand {
  const unsigned char* cdb;
  int cdbLen;
  unsigned char* data;
  int dataLen;
  int direction;  // a KxScsiDirection
  int timeoutSec;
};

// Answers a command like KxDeviceScsiIface::Command: bytes transferred, or
// -1 with error set. Called without any registry lock held; may throw
// nothing.
using KxVirtualScsiResponder = std::function<int(const KxVirtualScsiCommand&, CZuError&)>;

namespace kxplatform {

// Registers (or replaces) a data LUN. An empty name is ignored.
KXPLATFORM_API void registerVirtualLun(const std::string& name,
                                       const std::vector<unsigned char>& standardInquiry,
                                       const std::vector<unsigned char>& page83);
// Registers (or replaces) a LUN whose every command goes to responder.
// An empty name or responder is ignored.
KXPLATFORM_API void registerVirtualLun(const std::string& name, KxVirtualScsiResponder responder);
// true when the name was registered.
KXPLATFORM_API bool unregisterVirtualLun(const std::string& name);
KXPLATFORM_API void clearVirtualLuns();
KXPLATFORM_API bool isVirtualLun(const std::string& name);
// The registered names, sorted.
KXPLATFORM_API std::vector<std::string> virtualLunNames();

}  // namespace kxplatform

#endif  // KXPLATFORM_KXVIRTUALLUN_H
