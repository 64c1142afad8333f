// Runs the SCSI inquiry functions against the devices of the test guest and
// prints one marker line per request, for the host side of the test to
// check. Usage: scsi_guest_probe (std|supported|vpd) PATH ...
//   std        KXTEST std PATH VENDOR PRODUCT     or  KXTEST error PATH TEXT
//   supported  KXTEST supported PATH RESULT [err=TEXT]
//   vpd        KXTEST vpd PATH serial=S port=P name=N  or  ... failed: TEXT
// and "KXTEST done" once every request has been answered.
#include <cstdio>
#include <cstring>
#include <string>

#include "KXSOPureStor.h"
#include "ModelOSUtil.h"
#include "ModelSnapInfo.h"
#include "PureStorUtilsScsi.h"

namespace {

void standardInquiry(const char* path) {
  std::string vendor, product, error;
  if (getStdInfoForDevice(path, vendor, product, error)) {
    std::printf("KXTEST std %s %s %s\n", path, vendor.c_str(), product.c_str());
  } else {
    std::printf("KXTEST error %s %s\n", path, error.c_str());
  }
}

// As the host's device test sees it: the entry point's own buffer contract.
void deviceTest(const char* path) {
  char error[2048] = {};
  int result = isDeviceSupported(path, error, sizeof error - 1);
  if (error[0] != '\0') {
    std::printf("KXTEST supported %s %d err=%s\n", path, result, error);
  } else {
    std::printf("KXTEST supported %s %d\n", path, result);
  }
}

void identification(const char* path) {
  kxhost::ModelOSUtil util;
  kxhost::ModelSnapInfo record;
  std::string port, serial, name, error;
  if (getVPDInfoForDevice(path, port, serial, name, error, &util, &record, "")) {
    std::printf("KXTEST vpd %s serial=%s port=%s name=%s\n", path, serial.c_str(), port.c_str(),
                name.c_str());
  } else {
    std::printf("KXTEST vpd %s failed: %s\n", path, error.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc % 2 == 0) {
    std::fprintf(stderr, "usage: %s (std|supported|vpd) PATH ...\n", argv[0]);
    return 2;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    const char* op = argv[i];
    const char* path = argv[i + 1];
    if (std::strcmp(op, "std") == 0) {
      standardInquiry(path);
    } else if (std::strcmp(op, "supported") == 0) {
      deviceTest(path);
    } else if (std::strcmp(op, "vpd") == 0) {
      identification(path);
    } else {
      std::fprintf(stderr, "unknown request %s\n", op);
      return 2;
    }
    std::fflush(stdout);
  }
  std::printf("KXTEST done\n");
  return 0;
}
