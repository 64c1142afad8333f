// The texts the plug-in exchanges with the host: the source-device string,
// the array-info string, the snapshot metadata ("|"-separated volume name,
// volume serial, snapshot serial, group snapshot name) and the snapshot
// UUID; plus the small text routines their readers use.
//
// None of these functions throws or reads outside a buffer; failures are
// reported by result and log. The password of an array-info string never
// reaches a log line.
#ifndef PURESTOR_UTILS_STRINGS_H
#define PURESTOR_UTILS_STRINGS_H

#include <string>
#include <vector>

#include "KXSOSnapInfo.h"

// The parsed source-device string: either a plain device name, or
// key:value items separated by "," (optionally inside "{" ... "}").
class SourceDeviceAttribs {
 public:
  // Stores the string and parses it.
  explicit SourceDeviceAttribs(const std::string& sourceDevice);

  // Clears the fields and fills them again from source. Items with the keys
  // "frwtype", "vendor", "type", "lunuuid" and "targethostname" fill their
  // field (a later item wins); an item without ":" is its own key and value.
  void Parse();

  // type equals "nfs" (case-sensitive).
  bool isSrcNFSDevice() const { return isNFS; }
  // For an NFS source the share (export) name, the "lunuuid" value.
  std::string GetShareName() const { return lunuuid; }
  // For an NFS source the file server's host name or address.
  std::string GetTargetHostName() const { return targethostname; }

  std::string source;          // the whole string
  std::string type;            // "type"
  std::string vendor;          // "vendor"
  std::string lunuuid;         // "lunuuid"
  std::string targethostname;  // "targethostname"
  std::string agentType;       // "frwtype"; "vmware" marks a VMware client
  bool isNFS = false;
};

// The longest value parseJSONString hands out.
constexpr size_t kMaxJSONValueLength = 1023;

// Loose lookup of name in a source-device or array-info string: the value
// runs from the first ":" after the first occurrence of name (a plain
// substring search) to the next "," after the name, or, without one, to the
// first "}" after the ":". The value is taken up to an embedded NUL and is
// neither trimmed nor unquoted. Returns 1 and sets value when found;
// returns 0 and leaves value untouched otherwise, also when the value is
// longer than kMaxJSONValueLength (such a value is refused, not cut).
// Logs through HostLog; no logged text carries a password.
int parseJSONString(const std::string& text, const std::string& name, std::string& value);

// Reads an array-info string
//   {hostid:<n>,arrayId:<t>,hostUserName:<t>,hostPassword:<t>,engineName:<t>}
// Clears arrayId, userName and password, then fills each one that is
// present, escapes resolved (deformatString). The password ends at
// ",engineName:" and so may contain commas. hostId changes only when
// "hostid:" is present (leading decimal digits, 0 when none). Returns 1.
int ParseArrayInfo(const std::string& arrayInfo, std::string& arrayId, std::string& userName,
                   std::string& password, int& hostId);

// ParseArrayInfo on the record's array-info string (getArrayInfo, retried
// with a larger buffer while the host says it is too small, at most 3 calls;
// a needed length that is not positive ends the retries). Returns 1, or 0
// after logging on the record when the string cannot be read (outputs are
// then untouched).
int GetAndParseArrayInfo(KXSO::SnapInfo* record, std::string& arrayId, std::string& userName,
                         std::string& password, int& hostId);

// Splits snapshot metadata at "|": the first four fields fill the outputs
// in order, missing ones stay empty, further ones are ignored. Returns 1.
int ParseSnapMetaData(const std::string& metadata, std::string& volName,
                      std::string& volSerial, std::string& snapSerial,
                      std::string& groupSnapName);

// Reads the record's snapshot metadata (type 6, or 82 when useGroupMetadata
// is true and the record is a consistency-group snapshot; retried like
// GetAndParseArrayInfo) and parses it with ParseSnapMetaData. Returns 1, or
// 0 after logging when the metadata cannot be read or is empty.
int GetVolumeInfoFromSnapMetaData(KXSO::SnapInfo* record, std::string& volName,
                                  std::string& volSerial, std::string& snapSerial,
                                  std::string& groupSnapName, bool useGroupMetadata);

// After the snapshot's volume got a new identity: rewrites the metadata
// (type 6) from the non-empty fields, then renames the snapshot UUID to
// newVolName followed by the old UUID from its first ".SP-2" on.
// Protection-group snapshots (groupSnapName not empty) keep both: true.
// false when a read or write fails or the UUID has no ".SP-2"; the metadata
// may then already be rewritten.
bool UpdateMetaDataSnapUUID(KXSO::SnapInfo* record, const std::string& newVolName,
                            const std::string& volSerial, const std::string& snapSerial,
                            const std::string& groupSnapName);

// Resolves backslash escapes: \n \b \f \r \t give their control bytes, a
// backslash before any other byte gives that byte, a trailing backslash is
// dropped.
std::string deformatString(const std::string& text);

// Appends to out the pieces of text between occurrences of delim, empty
// ones included; without an occurrence (or with an empty delim) the whole
// text is one piece, so an empty text appends one empty element.
void splitByDelim(const std::string& text, const std::string& delim,
                  std::vector<std::string>& out);
void splitByDelim(const std::string& text, char delim, std::vector<std::string>& out);

// A copy with a-z mapped to A-Z; every other byte unchanged.
std::string strToUpper(const std::string& text);

#endif  // PURESTOR_UTILS_STRINGS_H
