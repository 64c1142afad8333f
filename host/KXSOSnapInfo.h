// The host's per-device record of a snapshot job. The host implements it;
// the plug-in only calls it. Buffer getters take a zeroed buffer and its
// capacity; see each operation for its answers.
#ifndef KXSO_SNAPINFO_H
#define KXSO_SNAPINFO_H

#include <cstdint>
#include <string>

#if defined(__GNUC__)
#define KXSO_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define KXSO_PRINTF(fmt, args)
#endif

namespace KXSO {

class SnapInfo {
 public:
  // 0 = snapshot identifier copied.
  virtual int getSnapUUID(char* buf, short* len) = 0;
  // 0 = stored.
  virtual int setSnapUUID(const char* uuid) = 0;
  // 0 = copied; 2 = too small, *len is then the size needed.
  virtual int getArrayInfo(char* buf, short* len) = 0;
  // Identity: an array name, optionally "|" and further identifiers.
  // 0 = the host knows the array and has bound the record to it.
  virtual int setArrayIdentity(const char* identity) = 0;
  // 1 = failure.
  virtual int getHostIdentifier(char* buf, short* len) = 0;
  virtual bool hasJobFlag(uint64_t bit) = 0;
  virtual uint64_t getJobFlags() = 0;
  virtual int getStatus() = 0;
  virtual void setStatus(int status) = 0;
  // 0 = copied.
  virtual int getSourceDeviceName(char* buf, short* len) = 0;
  virtual int getSnapDeviceName(char* buf, short* len) = 0;
  virtual int setSnapDeviceName(const char* name) = 0;
  // 0 = copied, 1 = missing, 2 = too small (*len is then the size needed).
  virtual int getMetadata(short type, char* buf, short* len) = 0;
  // 0 = stored.
  virtual int setMetadata(short type, const char* text) = 0;
  // (0, "") clears.
  virtual void setErrorInfo(int code, const char* message) = 0;
  virtual void logMessage(int level, const char* fmt, ...) KXSO_PRINTF(3, 4) = 0;
  // Level 0 detail, 1 progress, 2 error or warning.
  virtual void logWithContext(int level, const char* context, const char* fmt, ...)
      KXSO_PRINTF(4, 5) = 0;
  virtual int getMountId() = 0;
  // 0 = found.
  virtual int getConfigInt(const char* key, int* value) = 0;
  // An empty answer means unset.
  virtual int getConfigString(const char* key, char* buf, int* len) = 0;
  // A null text clears. 1 = failure.
  virtual int setMetadataLarge(short type, const char* text) = 0;
  // 0 = value copied.
  virtual int getValue(int valueId, int* value) = 0;
  // 0 = copied, 1 = failure.
  virtual int getMetadataLarge(short type, char* buf, int* len) = 0;
  // Negative = no array bound.
  virtual int getArrayId() = 0;
  virtual bool isConsistencyGroupSnap() = 0;
  virtual int getGroupSnapId() = 0;
  virtual void setDeviceFlags(uint64_t bits) = 0;  // ORs the bits in
  virtual uint64_t getDeviceFlags() = 0;
  virtual void clearDeviceFlags(uint64_t bits) = 0;
  // 1 = copied.
  virtual int getSnapUUIDString(std::string& out) = 0;
  virtual int getSourceDeviceNameString(std::string& out) = 0;
  virtual int getSnapDeviceNameString(std::string& out) = 0;
  // Nonzero = copied.
  virtual int getMetadataLargeString(short type, std::string& out) = 0;
  virtual int getMetadataString(short type, std::string& out) = 0;
  // Page 0 (standard) or 0x83: at least 255 bytes the host holds, or null.
  virtual const unsigned char* getInquiryData(int page) = 0;
  virtual void setArrayName(const std::string& name) = 0;
  virtual void setVolumeSerial(const std::string& serial) = 0;
  virtual void setVolumeName(const std::string& name) = 0;
  virtual int getSourceClientType() = 0;
  // 0 = failure.
  virtual int getRdmDeviceInfo(std::string& deviceList, std::string& esxHost) = 0;
  virtual void getReferenceSnapUUID(std::string& out) = 0;
  virtual void setIdentifyResult(int result) = 0;
  virtual int getIdentifyResult() = 0;

  virtual ~SnapInfo() = default;
};

}  // namespace KXSO

#endif  // KXSO_SNAPINFO_H
