// Inquiry data of a FlashArray volume, as such a LUN presents it, for
// virtual LUNs of the reference host and the tests.
//
// Standard data (96 bytes): direct-access device, SPC-4, vendor "PURE"
// (bytes 8-15, space padded), product "FlashArray" (bytes 16-31), revision
// (bytes 32-35).
//
// Page 0x83, byte positions:
//     0-3    page header (page code 0x83 at byte 1, page length at 2-3)
//     4-23   NAA designator: 0x62 0x4A 0x93 0x70 (NAA 6, Pure Storage
//            company id 24A937) followed by the 24 hex digits of the serial
//    24-70   T10 vendor-id designator, length 43 at byte 27, data from 28:
//            "PURE    " "FlashArray:" and the 24-character serial
//    71-94   relative target port, target port group and logical unit group
//            designators (8 bytes each)
//    95-     SCSI name string of the target port, length L2 at byte 98,
//            data from 99: "naa." + 16 lower-case hex digits + ",t,0x0001"
//            (Fibre Channel) or the IQN + ",t,0x0001" (iSCSI), NUL padded
//            to a multiple of 4
//    99+L2-  vendor-specific designator with the volume name, its length at
//            byte 102 + L2, data from 103 + L2
// A page longer than 255 bytes (long IQNs or volume names) is built in full;
// a 255-byte inquiry of it sees only its start.
#ifndef KXPLATFORM_KXINQUIRYBUILDER_H
#define KXPLATFORM_KXINQUIRYBUILDER_H

#include <string>
#include <vector>

#include "KXPlatformConfig.h"

namespace kxplatform {

struct FlashArrayLun {
  std::string serial;      // 24 hex digits (either case, kept as given)
  std::string port;        // FC: the port's WWN, 16 hex digits, ':' allowed; iSCSI: the IQN
  bool iscsi = false;
  std::string volumeName;  // 1 to 255 characters
  std::string revision = "6.1";
};

// The standard inquiry data with the given vendor and product (cut to their
// fields, space padded).
KXPLATFORM_API std::vector<unsigned char> buildStandardInquiry(const std::string& vendor,
                                                               const std::string& product,
                                                               const std::string& revision);
// buildStandardInquiry("PURE", "FlashArray", revision).
KXPLATFORM_API std::vector<unsigned char> buildFlashArrayStandardInquiry(
    const std::string& revision = "6.1");

// The target port text of page 0x83 without its NUL padding:
// "naa.524a937012345678,t,0x0001" or "iqn....,t,0x0001". Empty when the
// port is not valid (FC: not 16 hex digits once ':' are dropped; iSCSI:
// empty, or too long for one designator).
KXPLATFORM_API std::string flashArrayTargetPortText(const std::string& port, bool iscsi);

// Page 0x83 as laid out above; empty when lun is not valid (serial not 24
// hex digits, port as for flashArrayTargetPortText, volume name empty or
// longer than 255).
KXPLATFORM_API std::vector<unsigned char> buildFlashArrayPage83(const FlashArrayLun& lun);

// Registers name as a data virtual LUN with both. false (nothing
// registered) when lun is not valid.
KXPLATFORM_API bool registerFlashArrayLun(const std::string& name, const FlashArrayLun& lun);

}  // namespace kxplatform

#endif  // KXPLATFORM_KXINQUIRYBUILDER_H
