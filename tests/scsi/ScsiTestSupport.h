// Shared helpers of the inquiry tests: virtual LUNs that clean up after
// themselves and hand-made page 0x83 images.
#ifndef KXTEST_SCSI_TEST_SUPPORT_H
#define KXTEST_SCSI_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "KxInquiryBuilder.h"
#include "KxVirtualLun.h"

namespace kxtest {

using Bytes = std::vector<unsigned char>;

// Removes every virtual LUN after each test.
class VirtualLunFixture : public ::testing::Test {
 protected:
  void TearDown() override { kxplatform::clearVirtualLuns(); }
};

inline kxplatform::FlashArrayLun sampleLun() {
  kxplatform::FlashArrayLun lun;
  lun.serial = "0123456789ABCDEF01234567";
  lun.port = "52:4A:93:70:12:34:56:78";
  lun.volumeName = "dbvol1";
  return lun;
}

// A 255-byte page 0x83 with the three designators the decoder reads: the
// serial field (length at 27), the port text (length at 98) and the volume
// name (length at 102 + L2). Bytes that fall past 255 are dropped.
inline Bytes rawPage(const std::string& serialField, const std::string& portField,
                     const std::string& volumeName) {
  Bytes p(255, 0);
  auto put = [&p](size_t at, const std::string& s) {
    for (size_t i = 0; i < s.size() && at + i < p.size(); ++i) p[at + i] = s[i];
  };
  p[1] = 0x83;
  p[27] = static_cast<unsigned char>(serialField.size());
  put(28, serialField);
  p[98] = static_cast<unsigned char>(portField.size());
  put(99, portField);
  size_t at = 102 + portField.size();
  if (at < p.size()) p[at] = static_cast<unsigned char>(volumeName.size());
  put(at + 1, volumeName);
  return p;
}

inline Bytes padded(Bytes b) {
  b.resize(std::max<size_t>(b.size(), 255), 0);
  return b;
}

}  // namespace kxtest

#endif  // KXTEST_SCSI_TEST_SUPPORT_H
