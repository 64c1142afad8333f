#include "KxInquiryBuilder.h"

#include <cctype>

#include "KxVirtualLun.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr size_t kSerialLength = 24;
constexpr size_t kMaxDesignator = 255;
const char kPortTag[] = ",t,0x0001";

// Designator header bytes: code set, association and type.
constexpr unsigned char kBinary = 0x01, kAscii = 0x02, kUtf8 = 0x03;
constexpr unsigned char kAssocLu = 0x00, kAssocPort = 0x10;
constexpr unsigned char kTypeVendor = 0x00, kTypeT10 = 0x01, kTypeNaa = 0x03,
                        kTypeRelPort = 0x04, kTypePortGroup = 0x05, kTypeLuGroup = 0x06,
                        kTypeScsiName = 0x08;
constexpr unsigned char kPiv = 0x80;
constexpr unsigned char kProtoFc = 0x00, kProtoIscsi = 0x05;

bool isHex(const std::string& s) {
  for (unsigned char c : s) {
    if (!std::isxdigit(c)) return false;
  }
  return true;
}

void putField(Bytes& out, size_t at, const std::string& text, size_t width) {
  for (size_t i = 0; i < width; ++i) out[at + i] = i < text.size() ? text[i] : ' ';
}

void putDesignator(Bytes& page, unsigned char codeSet, unsigned char kind, const Bytes& data) {
  page.push_back(codeSet);
  page.push_back(kind);
  page.push_back(0);
  page.push_back(static_cast<unsigned char>(data.size()));
  page.insert(page.end(), data.begin(), data.end());
}

Bytes textBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes naaDesignator(const std::string& serial) {
  Bytes data{0x62, 0x4A, 0x93, 0x70};
  for (size_t i = 0; i < serial.size(); i += 2) {
    data.push_back(static_cast<unsigned char>(std::stoi(serial.substr(i, 2), nullptr, 16)));
  }
  return data;
}

// Two-byte big-endian value, as the relative port and group designators
// carry it in their last two bytes.
Bytes twoByteId(unsigned id) {
  return {0, 0, static_cast<unsigned char>(id >> 8), static_cast<unsigned char>(id & 0xff)};
}

}  // namespace

namespace kxplatform {

Bytes buildStandardInquiry(const std::string& vendor, const std::string& product,
                           const std::string& revision) {
  Bytes out(96, 0);
  out[0] = 0x00;                                          // direct-access block device
  out[2] = 0x06;                                          // SPC-4
  out[3] = 0x12;                                          // HiSup, response data format 2
  out[4] = static_cast<unsigned char>(out.size() - 5);    // additional length
  out[7] = 0x02;                                          // CmdQue
  putField(out, 8, vendor, 8);
  putField(out, 16, product, 16);
  putField(out, 32, revision, 4);
  return out;
}

Bytes buildFlashArrayStandardInquiry(const std::string& revision) {
  return buildStandardInquiry("PURE", "FlashArray", revision);
}

std::string flashArrayTargetPortText(const std::string& port, bool iscsi) {
  std::string text;
  if (iscsi) {
    text = port;
  } else {
    std::string wwn;
    for (unsigned char c : port) {
      if (c != ':') wwn += static_cast<char>(std::tolower(c));
    }
    if (wwn.size() != 16 || !isHex(wwn)) return std::string();
    text = "naa." + wwn;
  }
  if (text.empty()) return std::string();
  text += kPortTag;
  // With its NUL and the padding to a multiple of 4 it must fit one designator.
  if ((text.size() + 4) / 4 * 4 > kMaxDesignator - 3) return std::string();
  return text;
}

Bytes buildFlashArrayPage83(const FlashArrayLun& lun) {
  std::string portText = flashArrayTargetPortText(lun.port, lun.iscsi);
  if (lun.serial.size() != kSerialLength || !isHex(lun.serial) || portText.empty() ||
      lun.volumeName.empty() || lun.volumeName.size() > kMaxDesignator) {
    return Bytes();
  }
  Bytes page{0x00, 0x83, 0x00, 0x00};
  putDesignator(page, kBinary, kAssocLu | kTypeNaa, naaDesignator(lun.serial));
  putDesignator(page, kAscii, kAssocLu | kTypeT10,
                textBytes(std::string("PURE    FlashArray:") + lun.serial));
  putDesignator(page, kBinary, kPiv | kAssocPort | kTypeRelPort, twoByteId(1));
  putDesignator(page, kBinary, kPiv | kAssocPort | kTypePortGroup, twoByteId(1));
  putDesignator(page, kBinary, kAssocLu | kTypeLuGroup, twoByteId(1));
  Bytes name = textBytes(portText);
  name.resize((name.size() + 4) / 4 * 4, 0);  // NUL terminated, padded to 4
  putDesignator(page, static_cast<unsigned char>(((lun.iscsi ? kProtoIscsi : kProtoFc) << 4) | kUtf8),
                kPiv | kAssocPort | kTypeScsiName, name);
  putDesignator(page, kAscii, kAssocLu | kTypeVendor, textBytes(lun.volumeName));
  size_t length = page.size() - 4;
  page[2] = static_cast<unsigned char>(length >> 8);
  page[3] = static_cast<unsigned char>(length & 0xff);
  return page;
}

bool registerFlashArrayLun(const std::string& name, const FlashArrayLun& lun) {
  Bytes page83 = buildFlashArrayPage83(lun);
  if (name.empty() || page83.empty()) return false;
  registerVirtualLun(name, buildFlashArrayStandardInquiry(lun.revision), page83);
  return true;
}

}  // namespace kxplatform
