// SCSI inquiry and the decoding of its answers: who made a device (standard
// INQUIRY vendor and product) and which array volume it is (page 0x83:
// volume serial, array target port, volume name).
//
// Three sources feed the same decoding: a live inquiry through the host
// device tree, the pages the host keeps on a record (getInquiryData), and
// the text items of a VMware client's source-device string.
//
// Functions return 1 for success and 0 for failure; none throws. Inquiry
// buffers are kInquiryBufferSize bytes.
#ifndef PURESTOR_UTILS_SCSI_H
#define PURESTOR_UTILS_SCSI_H

#include <cstddef>
#include <string>

#include "KXSOOSUtil.h"
#include "KXSOSnapInfo.h"

// The response size every inquiry uses, and the smallest doSCSIInquiry takes.
constexpr int kInquiryBufferSize = 255;
// The FlashArray's vendor and product identification.
constexpr const char* kPureVendor = "PURE";
constexpr const char* kPureProduct = "FlashArray";
// NAA 6 with the Pure Storage company id, as it leads a VMware LUN id.
constexpr const char* kPureNaaPrefix = "624A9370";

// Sends INQUIRY to device into response (zeroed first): the standard data,
// or with bit 0 of evpd set the VPD page pageCode (a pageCode above 0 is
// placed in the CDB either way). A VMware source-device string is answered
// from its "standardinqury" item instead (pageCode and evpd ignored).
// responseLen must be at least kInquiryBufferSize; the allocation length
// sent is responseLen, capped at 255. On failure the reason goes to error
// (at most errorLen - 1 characters and a NUL); without an error buffer
// (null or errorLen 0) it fails at once.
int doSCSIInquiry(const char* device, int pageCode, int evpd, unsigned char* response,
                  int responseLen, char* error, int errorLen);

// The text of a fixed-width field of n bytes: '*' become spaces (in place),
// trailing white space is dropped, leading spaces stay; the text ends at the
// first NUL. Empty for a null pointer, n of 0 or a field that starts with NUL.
std::string trimSpaces(char* field, size_t n);

// Vendor (bytes 8-15) and product (bytes 16-31) of the standard inquiry of
// device. The outputs are cleared first; on failure error says why.
int getStdInfoForDevice(const std::string& device, std::string& vendor, std::string& product,
                        std::string& error);
// The same from the standard data the host keeps on the record.
int getStdInfoForDevice2(KXSO::SnapInfo* record, std::string& vendor, std::string& product,
                         std::string& error);

// Array port name, volume serial and volume name of device from its page
// 0x83 (fixed positions: serial designator length at byte 27, data from 28;
// target port length at 98, data from 99; volume name length at 102 + L2,
// data from 103 + L2). A page whose lengths reach past the 255 bytes read
// fails. The outputs are cleared first and set only on success. For a
// VMware source-device string getVPDInfoForVmWare answers (the volume name
// then stays empty). record receives the page dump in its log; further is
// passed on and not used.
int getVPDInfoForDevice(const std::string& device, std::string& arrayPort, std::string& serial,
                        std::string& volumeName, std::string& error, KXSO::KXOSUtil* util,
                        KXSO::SnapInfo* record, const std::string& further);
// The same with the page the host keeps on the record.
int getVPDInfoForDevice2(const std::string& device, std::string& arrayPort, std::string& serial,
                         std::string& volumeName, std::string& error, KXSO::KXOSUtil* util,
                         KXSO::SnapInfo* record, const std::string& further);

// From a VMware source-device string: serial = the 24 characters after
// kPureNaaPrefix in the upper-cased "lunuuid" item, arrayPort = the
// "targetidentifier" item as it stands. volumeName is left untouched;
// util and further are not used. Needs a record (its log gets the reasons).
int getVPDInfoForVmWare(const std::string& source, KXSO::KXOSUtil* util, KXSO::SnapInfo* record,
                        std::string& serial, std::string& arrayPort, std::string& volumeName,
                        const std::string& further);

// Fills response (zeroed first) from the hex text of the "standardinqury"
// item, two digits a byte. Fails, writing nothing, when the text converts to
// more than responseLen bytes.
int getStdInqDetailsForVmWare(const std::string& source, unsigned char* response,
                              int responseLen);

// isVmWare = the "frwtype" item of name is exactly "vmware". Returns 1.
int isDeviceVmWare(const std::string& name, bool& isVmWare);

// Hex and character dump of len bytes, one row per started 16 bytes (bytes
// past len show as 00 and '.').
void dumpSCSIInqResponse(const unsigned char* data, int len, std::string& out);

// The text without its ':' characters, at most 16 characters:
// "21:00:00:24:ff:4c:0a:1b" gives "21000024ff4c0a1b".
std::string StringToWWN(const std::string& text);

#endif  // PURESTOR_UTILS_SCSI_H
