// The plain data of the in-memory host model. Everything the model answers
// comes from these structs and everything the plug-in changes lands in them,
// so a program can set them up, inspect them and persist them as it likes.
#ifndef KXHOST_HOSTMODELSTATE_H
#define KXHOST_HOSTMODELSTATE_H

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kxhost {

// Names of operations that answer failure, e.g. "getMetadata" (every
// type) or "getMetadata:6" (one type); see each operation for the detail
// it accepts after the colon.
struct FailureSet {
  std::set<std::string> names;

  void add(const std::string& op) { names.insert(op); }
  void remove(const std::string& op) { names.erase(op); }
  bool fails(const std::string& op) const { return names.count(op) != 0; }
  bool fails(const std::string& op, const std::string& detail) const {
    return fails(op) || fails(op + ":" + detail);
  }
};

// One line logged on a record. withContext: logged by logWithContext.
struct LogLine {
  int level = 0;
  std::string context;
  std::string text;
  bool withContext = false;
};

struct RdmInfo {
  std::string deviceList;
  std::string esxHost;
};

// One per-device record of a job.
struct RecordState {
  std::string sourceDeviceName;
  std::string snapUUID;
  std::string snapDeviceName;
  // Answered by getArrayInfo while no array is bound (empty: none).
  std::string arrayInfo;
  // Last identity given to setArrayIdentity.
  std::string arrayIdentity;
  int arrayId = -1;  // negative while unbound
  bool hasHostIdentifier = true;
  std::string hostIdentifier;
  int status = 0;
  int errorCode = 0;
  std::string errorMessage;
  // One store per type: the plain and the Large operations read and write
  // the same entries, they differ only in their buffers.
  std::map<int, std::string> metadata;
  std::map<std::string, int> configInts;
  std::map<std::string, std::string> configStrings;
  std::map<int, int> values;  // getValue ids
  uint64_t jobFlags = 0;
  uint64_t deviceFlags = 0;
  int mountId = 0;
  int groupSnapId = 0;
  bool consistencyGroupSnap = false;
  // Inquiry pages by page number (0 and 0x83); served padded to at least
  // 255 bytes. An absent page answers null.
  std::map<int, std::vector<unsigned char>> inquiry;
  int sourceClientType = 0;
  bool hasRdmInfo = false;
  RdmInfo rdm;
  std::string referenceSnapUUID;
  int identifyResult = 0;
  std::string arrayName;
  std::string volumeSerial;
  std::string volumeName;
  std::vector<LogLine> log;
  FailureSet failing;
  // The named buffer getter answers "too small" (2, *len one more than the
  // capacity given or the size needed) this many more times, as a host
  // whose text grew between calls would.
  std::map<std::string, int> tooSmall;
};

// One array registered with the host.
struct ArrayEntry {
  int id = -1;  // assigned on registration when negative
  std::string name;
  std::string vendor = "Pure Storage FlashArray";
  std::string info;  // the array-info string getArrayDetails answers
  std::vector<std::string> aliases;
  std::map<std::string, std::string> config;  // getArrayConfigString
};

struct HbaEntry {
  std::string name;  // WWPN or IQN
  bool iscsi = false;
};

// One rescanScsiBus call; host empty for the local machine.
struct RescanCall {
  std::string host;
  std::vector<std::string> names;
  std::vector<std::string> names2;
};

// A VMware device page answer (hex text of the device's VPD data).
struct VmwarePage {
  std::string esxHost;
  std::string lunId;
  bool alt = false;  // answered by getVmwareDevicePageAlt instead
  std::string text;
};

// The OS-utility service. Maps keyed by host use "" for the local machine.
struct OSUtilState {
  std::map<std::string, std::vector<std::string>> devicesByHost;
  std::map<std::string, std::vector<HbaEntry>> hbasByHost;
  std::vector<RescanCall> rescans;
  std::vector<VmwarePage> vmwarePages;
  uint64_t operationId = 1;
  std::vector<std::string> remoteCalls;  // proxy names executeOnRemote was asked for
  // Answer "call again" this many times before answering the text.
  int arrayListCallAgain = 0;
  int arrayDetailsCallAgain = 0;
  FailureSet failing;
  std::map<std::string, int> calls;  // how often each operation was called
};

}  // namespace kxhost

#endif  // KXHOST_HOSTMODELSTATE_H
