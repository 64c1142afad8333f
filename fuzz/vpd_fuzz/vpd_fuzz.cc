// libFuzzer target for the inquiry decoding. The first byte picks the path:
//   even: the rest is a page 0x83 (cut or zero-padded to 255 bytes) held on
//         a record and decoded by getVPDInfoForDevice2
//   odd:  the rest is a source-device string run through the VMware paths
//         (as given, and behind a "{frwtype:vmware," prefix)
// Nothing here touches a device node: a string that is not a VMware device
// never reaches doSCSIInquiry.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "KXPlatformConfig.h"
#include "PureStorUtilsScsi.h"

namespace {

void decodePage(const uint8_t* data, size_t size) {
  std::vector<unsigned char> page(data, data + std::min<size_t>(size, kInquiryBufferSize));
  page.resize(kInquiryBufferSize, 0);
  kxtest::FakeSnapInfo record;
  record.setInquiry(0x83, page);
  std::string port, serial, name, error;
  if (getVPDInfoForDevice2("/dev/sdz", port, serial, name, error, nullptr, &record, "")) {
    // What was decoded lies inside the page.
    if (serial.size() > 24 || port.size() > 255 || name.size() > 255) __builtin_trap();
  }
  std::string dump;
  dumpSCSIInqResponse(page.data(), static_cast<int>(std::min(size, page.size())), dump);
}

void vmwarePaths(const std::string& source) {
  bool vmware = false;
  isDeviceVmWare(source, vmware);
  kxtest::FakeSnapInfo record;
  std::string port, serial, name, error;
  getVPDInfoForDevice2(source, port, serial, name, error, nullptr, &record, "");
  getVPDInfoForVmWare(source, nullptr, &record, serial, port, name, "");
  unsigned char response[kInquiryBufferSize];
  getStdInqDetailsForVmWare(source, response, sizeof response);
  if (vmware) {
    char text[2048] = {};
    doSCSIInquiry(source.c_str(), 0x83, 1, response, sizeof response, text, sizeof text - 1);
    getStdInfoForDevice(source, port, serial, error);
  }
  StringToWWN(source);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kxplatform::setLogFile("/dev/null");
  kxplatform::setLogLevel(4);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if ((data[0] & 1) == 0) {
    decodePage(data + 1, size - 1);
  } else {
    std::string source(reinterpret_cast<const char*>(data + 1), size - 1);
    vmwarePaths(source);
    vmwarePaths("{frwtype:vmware," + source);
  }
  return 0;
}
