#include "PureStorUtilsScsi.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>

#include "CZuError.h"
#include "KxDevice.h"
#include "KxDeviceTree.h"
#include "KxException.h"
#include "PureStorUtilsErrors.h"
#include "PureStorUtilsStrings.h"

namespace {

constexpr const char* kInquiryContext = "PureStorUtils::doSCSIInquiry";
constexpr const char* kVmWareContext = "PureStorUtils::getVPDInfoForVmWare";
constexpr const char* kVmWareStdContext = "PureStorUtils::getStdInqDetailsForVmWare";
constexpr const char* kEmptyDeviceName = "Device name is empty.";
constexpr const char* kNoHostBuffer = "Failed to Obtain Std SCSI Buffer";
constexpr int kErrorBufferSize = 2048;
constexpr unsigned char kInquiryOpcode = 0x12;
constexpr unsigned char kPageDeviceId = 0x83;
constexpr size_t kSerialLength = 24;
// Fixed positions of page 0x83 as the array lays it out.
constexpr int kSerialLengthAt = 27;
constexpr int kPortLengthAt = 98;
constexpr int kNameLengthOffset = 102;  // + L2

void writeError(char* error, int errorLen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
void writeError(char* error, int errorLen, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(error, static_cast<size_t>(errorLen), fmt, args);
  va_end(args);
}

// Standard INQUIRY, or a VPD page with bit 0 of evpd set.
void buildInquiryCdb(unsigned char cdb[6], int pageCode, int evpd, int responseLen) {
  std::memset(cdb, 0, 6);
  cdb[0] = kInquiryOpcode;
  if (evpd & 0x01) cdb[1] = 0x01;
  if (pageCode > 0) cdb[2] = static_cast<unsigned char>(pageCode);
  // One byte holds the allocation length; a larger buffer asks for 255.
  cdb[4] = static_cast<unsigned char>(std::min(responseLen, 255));
}

// Sends the CDB to the named device through its SCSI interface.
int sendInquiry(const char* device, const unsigned char cdb[6], unsigned char* response,
                int responseLen, char* error, int errorLen) {
  CZuError status;
  KxDeviceRef dev = KxDeviceTree::getDevice(device, status);
  if (!dev) {
    writeError(error, errorLen, "Failed to get KxDevice for device[%s]. Error:[%s]", device,
               status.AsString().c_str());
    return 0;
  }
  auto* scsi = static_cast<KxDeviceScsiIface*>(dev->QueryInterface(kKxDeviceScsiIface));
  if (scsi == nullptr) {
    writeError(error, errorLen, "%s is not SCSI device", dev->GetName().c_str());
    return 0;
  }
  try {
    status.SetSuccess();
    int rc = scsi->Command(cdb, 6, response, responseLen, 0, 1, 0, 0, 10, status);
    if (rc == -1) throw KxException(status.AsString());
  } catch (const std::exception& e) {
    writeError(error, errorLen, "Failed to send SCSI Inquiry for device[%s], caught exception:[%s]",
               device, e.what());
    return 0;
  }
  return 1;
}

// Inquiry into a local 255-byte buffer; error gets the reason on failure.
int inquire(const std::string& device, int pageCode, int evpd, unsigned char* response,
            std::string& error) {
  char text[kErrorBufferSize] = {};
  if (doSCSIInquiry(device.c_str(), pageCode, evpd, response, kInquiryBufferSize, text,
                    kErrorBufferSize - 1)) {
    return 1;
  }
  error = text;
  return 0;
}

void decodeStandard(unsigned char* data, std::string& vendor, std::string& product) {
  vendor = trimSpaces(reinterpret_cast<char*>(data + 8), 8);
  product = trimSpaces(reinterpret_cast<char*>(data + 16), 16);
}

// The designator of len bytes at from, as text up to its first NUL; false
// (and a log line) when it would reach past the response.
bool designatorText(const unsigned char* page, int from, int len, const char* function,
                    std::string& text) {
  if (from + len > kInquiryBufferSize) {
    g_HostLog.DebugLvl(function, -1,
                       "Designator of %d bytes at byte %d reaches past the %d bytes of the VPD "
                       "response",
                       len, from, kInquiryBufferSize);
    return false;
  }
  char work[256] = {};
  std::memcpy(work, page + from, static_cast<size_t>(len));
  text = work;
  return true;
}

// Serial: the last 24 characters of the designator at byte 28.
bool decodeSerial(const unsigned char* page, const char* function, std::string& serial) {
  int len = page[kSerialLengthAt];
  std::string text;
  if (!designatorText(page, kSerialLengthAt + 1, len, function, text)) return false;
  size_t skip = static_cast<size_t>(len) >= kSerialLength ? len - kSerialLength : std::string::npos;
  serial = skip < text.size() ? text.substr(skip) : std::string();
  if (serial.empty()) {
    g_HostLog.DebugLvl(function, -1, "Volume Serial Number not found in the VPD details");
    return false;
  }
  return true;
}

// Port: the target port name before ",t,", without a leading "naa.".
bool decodePort(const unsigned char* page, const char* function, std::string& port) {
  std::string text;
  if (!designatorText(page, kPortLengthAt + 1, page[kPortLengthAt], function, text)) return false;
  size_t tag = text.find(",t,");
  if (tag == std::string::npos) {
    g_HostLog.DebugLvl(function, -1, "Array name [%s] does not contain [%s].", text.c_str(), ",t,");
    return false;
  }
  text.erase(tag);
  if (text.compare(0, 4, "naa.") == 0) text.erase(0, 4);
  if (text.empty()) {
    g_HostLog.DebugLvl(function, -1, "Array port info not found in the VPD details");
    return false;
  }
  port = text;
  return true;
}

bool decodeVolumeName(const unsigned char* page, const char* function, std::string& name) {
  int at = kNameLengthOffset + page[kPortLengthAt];
  if (at >= kInquiryBufferSize) {
    g_HostLog.DebugLvl(function, -1,
                       "Volume name length at byte %d lies past the %d bytes of the VPD response",
                       at, kInquiryBufferSize);
    return false;
  }
  std::string text;
  if (!designatorText(page, at + 1, page[at], function, text)) return false;
  if (text.empty()) {
    g_HostLog.DebugLvl(function, -1, "Volume name not found in the VPD details");
    return false;
  }
  name = text;
  return true;
}

// Decodes a 255-byte page 0x83 (logged first).
int decodeDeviceIdPage(const unsigned char* page, const std::string& device, const char* function,
                       KXSO::SnapInfo* record, std::string& arrayPort, std::string& serial,
                       std::string& volumeName, std::string& error) {
  std::string dump;
  dumpSCSIInqResponse(page, kInquiryBufferSize, dump);
  if (record != nullptr) {
    record->logWithContext(0, function, "SCSI VPD Details [%s]", dump.c_str());
  } else {
    g_HostLog.DebugLvl(function, 0, "SCSI VPD Details [%s]", dump.c_str());
  }
  if (page[1] != kPageDeviceId) {
    error = "Invalid page returned in SCSI Inquiry Response for Page 83(VPD) Inquiry for device[" +
            device + "]";
    return 0;
  }
  std::string s, p, n;
  if (!decodeSerial(page, function, s) || !decodePort(page, function, p) ||
      !decodeVolumeName(page, function, n)) {
    return 0;
  }
  serial = s;
  arrayPort = p;
  volumeName = n;
  return 1;
}

using PageSource = int (*)(const std::string& device, KXSO::SnapInfo* record,
                           unsigned char* page, std::string& error);

int liveDeviceIdPage(const std::string& device, KXSO::SnapInfo*, unsigned char* page,
                     std::string& error) {
  return inquire(device, kPageDeviceId, 1, page, error);
}

// Copies the host's page into the zeroed 255-byte buffer.
int copyHostPage(KXSO::SnapInfo* record, int pageCode, unsigned char* page, std::string& error) {
  const unsigned char* held = record != nullptr ? record->getInquiryData(pageCode) : nullptr;
  if (held == nullptr) {
    error = kNoHostBuffer;
    return 0;
  }
  std::memcpy(page, held, kInquiryBufferSize);
  return 1;
}

int hostDeviceIdPage(const std::string&, KXSO::SnapInfo* record, unsigned char* page,
                     std::string& error) {
  return copyHostPage(record, kPageDeviceId, page, error);
}

int vpdInfo(PageSource source, const char* function, const std::string& device,
            std::string& arrayPort, std::string& serial, std::string& volumeName,
            std::string& error, KXSO::KXOSUtil* util, KXSO::SnapInfo* record,
            const std::string& further) {
  arrayPort.clear();
  serial.clear();
  volumeName.clear();
  error.clear();
  if (device.empty()) {
    error = kEmptyDeviceName;
    return 0;
  }
  bool vmware = false;
  isDeviceVmWare(device, vmware);
  if (vmware) {
    if (getVPDInfoForVmWare(device, util, record, serial, arrayPort, volumeName, further)) return 1;
    g_HostLog.DebugLvl(function, -1, "Failed during getVPDInfoForVmWare");
    return 0;
  }
  unsigned char page[kInquiryBufferSize] = {};
  if (!source(device, record, page, error)) return 0;
  return decodeDeviceIdPage(page, device, function, record, arrayPort, serial, volumeName, error);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One or two characters read as base 16, stopping at the first non-digit.
unsigned char hexByte(const char* p, size_t n) {
  unsigned value = 0;
  for (size_t i = 0; i < n && hexDigit(p[i]) >= 0; ++i) value = value * 16 + hexDigit(p[i]);
  return static_cast<unsigned char>(value);
}

char printable(unsigned char c) { return (c < 0x20 || c == '%') ? '.' : static_cast<char>(c); }

}  // namespace

int doSCSIInquiry(const char* device, int pageCode, int evpd, unsigned char* response,
                  int responseLen, char* error, int errorLen) {
  if (error == nullptr || errorLen <= 0) return 0;
  if (device == nullptr || device[0] == '\0') {
    writeError(error, errorLen, "%s", kEmptyDeviceName);
    return 0;
  }
  if (response == nullptr || responseLen <= 0) {
    writeError(error, errorLen, "SCSI Inquiry Response Buffer is empty");
    return 0;
  }
  std::memset(response, 0, static_cast<size_t>(responseLen));
  if (responseLen < kInquiryBufferSize) {
    writeError(error, errorLen,
               "SCSI Inquiry Response Buffer(size-%d) is not sufficient. Required size-%d",
               responseLen, kInquiryBufferSize);
    return 0;
  }
  try {
    bool vmware = false;
    isDeviceVmWare(device, vmware);
    g_HostLog.DebugLvl(kInquiryContext, 0, "bIsVmWareClient[%d]", vmware ? 1 : 0);
    if (vmware) return getStdInqDetailsForVmWare(device, response, responseLen);
    unsigned char cdb[6];
    buildInquiryCdb(cdb, pageCode, evpd, responseLen);
    return sendInquiry(device, cdb, response, responseLen, error, errorLen);
  } catch (const std::exception& e) {
    writeError(error, errorLen, "Failed to send SCSI Inquiry for device[%s], caught exception:[%s]",
               device, e.what());
  }
  return 0;
}

std::string trimSpaces(char* field, size_t n) {
  if (field == nullptr || n == 0 || field[0] == '\0') return std::string();
  std::replace(field, field + n, '*', ' ');
  size_t end = n;
  while (end > 0 && std::strchr(" \t\n\v\f\r", field[end - 1]) != nullptr && field[end - 1] != '\0') {
    --end;
  }
  const char* nul = static_cast<const char*>(std::memchr(field, '\0', end));
  return std::string(field, nul != nullptr ? static_cast<size_t>(nul - field) : end);
}

int getStdInfoForDevice(const std::string& device, std::string& vendor, std::string& product,
                        std::string& error) {
  vendor.clear();
  product.clear();
  error.clear();
  if (device.empty()) {
    error = kEmptyDeviceName;
    return 0;
  }
  unsigned char data[kInquiryBufferSize] = {};
  if (!inquire(device, 0, 0, data, error)) return 0;
  decodeStandard(data, vendor, product);
  return 1;
}

int getStdInfoForDevice2(KXSO::SnapInfo* record, std::string& vendor, std::string& product,
                         std::string& error) {
  vendor.clear();
  product.clear();
  error.clear();
  unsigned char data[kInquiryBufferSize] = {};
  if (!copyHostPage(record, 0, data, error)) return 0;
  decodeStandard(data, vendor, product);
  return 1;
}

int getVPDInfoForDevice(const std::string& device, std::string& arrayPort, std::string& serial,
                        std::string& volumeName, std::string& error, KXSO::KXOSUtil* util,
                        KXSO::SnapInfo* record, const std::string& further) {
  return vpdInfo(liveDeviceIdPage, "PureStorUtils::getVPDInfoForDevice", device, arrayPort, serial,
                 volumeName, error, util, record, further);
}

int getVPDInfoForDevice2(const std::string& device, std::string& arrayPort, std::string& serial,
                         std::string& volumeName, std::string& error, KXSO::KXOSUtil* util,
                         KXSO::SnapInfo* record, const std::string& further) {
  return vpdInfo(hostDeviceIdPage, "PureStorUtils::getVPDInfoForDevice2", device, arrayPort,
                 serial, volumeName, error, util, record, further);
}

int getVPDInfoForVmWare(const std::string& source, KXSO::KXOSUtil*, KXSO::SnapInfo* record,
                        std::string& serial, std::string& arrayPort, std::string&,
                        const std::string&) {
  if (record == nullptr) {
    g_HostLog.DebugLvl(kVmWareContext, -1, "Invalid SnapInfo pointer.");
    return 0;
  }
  std::string lun;
  if (!parseJSONString(source, "lunuuid", lun)) {
    record->logWithContext(2, kVmWareContext, "Error is parsing JSON [%s] for lunuuid.",
                           source.c_str());
    return 0;
  }
  if (!parseJSONString(source, "targetidentifier", arrayPort)) {
    record->logWithContext(2, kVmWareContext, "Error is parsing JSON [%s] for targetidentifier.",
                           source.c_str());
    return 0;
  }
  std::string upper = strToUpper(lun);
  size_t at = upper.find(kPureNaaPrefix);
  if (at == std::string::npos) {
    record->logWithContext(2, kVmWareContext, "Pure IEEE OUI number not found in lunuuid [%s].",
                           lun.c_str());
    return 0;
  }
  std::string rest = upper.substr(at + std::strlen(kPureNaaPrefix));
  if (rest.size() < kSerialLength) {
    record->logWithContext(2, kVmWareContext,
                           "Volume serial number length is not valid. Serial Num [%s] lunuuid [%s]",
                           rest.c_str(), lun.c_str());
    return 0;
  }
  serial = rest.substr(0, kSerialLength);
  return 1;
}

int getStdInqDetailsForVmWare(const std::string& source, unsigned char* response,
                              int responseLen) {
  std::string hex;
  parseJSONString(source, "standardinqury", hex);
  size_t needed = (hex.size() + 1) / 2;
  if (response == nullptr || responseLen < 0 || needed > static_cast<size_t>(responseLen)) {
    g_HostLog.DebugLvl(kVmWareStdContext, -1, "Insufficient buffer size[%d]. Required size[%d]",
                       responseLen, static_cast<int>(hex.size() / 2));
    return 0;
  }
  std::memset(response, 0, static_cast<size_t>(responseLen));
  for (size_t i = 0; i < hex.size(); i += 2) {
    response[i / 2] = hexByte(hex.data() + i, std::min<size_t>(2, hex.size() - i));
  }
  return 1;
}

int isDeviceVmWare(const std::string& name, bool& isVmWare) {
  std::string type;
  isVmWare = parseJSONString(name, "frwtype", type) && type == "vmware";
  return 1;
}

void dumpSCSIInqResponse(const unsigned char* data, int len, std::string& out) {
  out.clear();
  if (data == nullptr || len <= 0) return;
  for (int row = 0; row * 16 < len; ++row) {
    unsigned char b[16];
    for (int i = 0; i < 16; ++i) b[i] = row * 16 + i < len ? data[row * 16 + i] : 0;
    char line[160];
    std::snprintf(line, sizeof line,
                  "%02d==> %2.2x %2.2x %2.2x %2.2x  %2.2x %2.2x %2.2x %2.2x | %2.2x %2.2x %2.2x "
                  "%2.2x  %2.2x %2.2x %2.2x %2.2x : %c%c%c%c%c%c%c%c%c%c%c%c%c%c%c%c\n\n",
                  row + 1, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10],
                  b[11], b[12], b[13], b[14], b[15], printable(b[0]), printable(b[1]),
                  printable(b[2]), printable(b[3]), printable(b[4]), printable(b[5]),
                  printable(b[6]), printable(b[7]), printable(b[8]), printable(b[9]),
                  printable(b[10]), printable(b[11]), printable(b[12]), printable(b[13]),
                  printable(b[14]), printable(b[15]));
    out += line;
  }
}

std::string StringToWWN(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (out.size() == 16) break;
    if (c != ':') out += c;
  }
  return out;
}
