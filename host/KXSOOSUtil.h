// The host's operating-system and database service, handed to every entry
// point. The host implements it; the plug-in only calls it. "Call again"
// answers ask the caller for a larger buffer of the size given.
#ifndef KXSO_OSUTIL_H
#define KXSO_OSUTIL_H

#include <cstdint>
#include <string>
#include <vector>

namespace KXSO {

class SnapInfo;

class KXOSUtil {
 public:
  // host null for the local machine; both lists are null-terminated.
  virtual void rescanScsiBus(const char* host, const char** names, const char** names2) = 0;
  // 0 = filled; positive = size needed, call again; negative = error.
  virtual int getDeviceListBuffer(const char* host, const char* vendor, char separator,
                                  int capacity, char* buffer) = 0;
  // 0 = separated names of the vendor's registered arrays; >0 = call again.
  virtual int getArrayList(const char* vendor, char separator, short capacity, char* buffer) = 0;
  // Called with null buffers first to learn the sizes. names are
  // comma-separated; one kind byte per name (1 = iSCSI, otherwise FC).
  virtual bool detectHbaList(const char* host, const char* filter, char* names, short* namesLen,
                             char* kinds, short* kindsLen, short* count) = 0;
  // 0 = array-info string copied; >0 = call again with *len bytes.
  virtual int getArrayDetails(const char* arrayName, char* buffer, short* len) = 0;
  virtual uint64_t getOperationId() = 0;
  // true = the records were run by the plug-in on that proxy.
  virtual bool executeOnRemote(const char* proxyName) = 0;
  // 0 = buffer holds the device's VPD data as hex text.
  virtual int getVmwareDevicePage(const char* esxHost, const char* lunId, const char* unknown,
                                  int appId, int cellId, int reserved, int page, int capacity,
                                  char* buffer) = 0;
  virtual bool detectHbaListOnHost(const char* hostName, const char* filter, char* names,
                                   short* namesLen, char* kinds, short* kindsLen,
                                   short* count) = 0;
  // 0 = value copied.
  virtual int getArrayConfigString(int arrayId, int reserved, const char* key, char* buffer,
                                   int* len) = 0;
  // 0 = failure.
  virtual int cloneSnapInfoList(SnapInfo** records, SnapInfo*** copies) = 0;
  // 0 = failure.
  virtual int getDeviceNames(const char* host, const char* vendor,
                             std::vector<std::string>& names) = 0;
  virtual int getVmwareDevicePageAlt(const char* esxHost, const char* lunId, const char* unknown,
                                     int appId, int cellId, int reserved, int page, int capacity,
                                     char* buffer) = 0;

  virtual ~KXOSUtil() = default;
};

}  // namespace KXSO

#endif  // KXSO_OSUTIL_H
