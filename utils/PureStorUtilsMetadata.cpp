// The readers and the writer of texts held on a record.
#include <cstring>
#include <vector>

#include "KXSOCodes.h"
#include "PureStorUtilsStrings.h"

namespace {

constexpr short kFirstReadLength = 4096;
constexpr int kMaxReads = 3;
constexpr int kAnswerOk = 0;
constexpr int kAnswerTooSmall = 2;

// Calls read(buffer, &length) with a zeroed buffer, again with the length
// the host asks for while it answers "too small", at most kMaxReads calls.
// A needed length that is not positive is not believed: the retries end
// with "too small". The text is bounded by our buffer whether or not the
// host ended it. Returns the last answer; text is set only on success.
template <typename Read>
int readGrowing(Read read, std::string& text) {
  short capacity = kFirstReadLength;
  int answer = kAnswerTooSmall;
  for (int call = 0; call < kMaxReads; ++call) {
    std::vector<char> buffer(static_cast<size_t>(capacity) + 1, '\0');
    short length = capacity;
    answer = read(buffer.data(), &length);
    if (answer == kAnswerOk) {
      text.assign(buffer.data(), strnlen(buffer.data(), static_cast<size_t>(capacity)));
      return answer;
    }
    if (answer != kAnswerTooSmall || length <= 0) return answer;
    capacity = length;
  }
  return answer;
}

}  // namespace

int GetAndParseArrayInfo(KXSO::SnapInfo* record, std::string& arrayId, std::string& userName,
                         std::string& password, int& hostId) {
  if (record == nullptr) return 0;
  std::string info;
  const int answer = readGrowing(
      [record](char* buffer, short* length) { return record->getArrayInfo(buffer, length); },
      info);
  if (answer != kAnswerOk) {
    record->logWithContext(2, "PureStorUtils::GetAndParseArrayInfo",
                           "Error:Unable to get the array information.");
    return 0;
  }
  return ParseArrayInfo(info, arrayId, userName, password, hostId);
}

int GetVolumeInfoFromSnapMetaData(KXSO::SnapInfo* record, std::string& volName,
                                  std::string& volSerial, std::string& snapSerial,
                                  std::string& groupSnapName, bool useGroupMetadata) {
  if (record == nullptr) return 0;
  const char* context = "PureStorUtils::GetVolumeInfoFromSnapMetaData";
  const short type = (useGroupMetadata && record->isConsistencyGroupSnap())
                         ? KXSO::SM_MDT_GROUP_SNAP_UUID
                         : KXSO::SM_MDT_SNAP_UUID;
  std::string metadata;
  const int answer = readGrowing(
      [record, type](char* buffer, short* length) {
        return record->getMetadata(type, buffer, length);
      },
      metadata);
  if (answer != kAnswerOk) {
    record->logWithContext(2, context, "Error:Unable to get the snapUUID");
    return 0;
  }
  if (metadata.empty()) {
    record->logWithContext(2, context,
                           "Error:Metadata (snapUUID) seems to be empty, cannot proceed.");
    return 0;
  }
  record->logWithContext(0, context, "SM_MDT_SNAP_UUID is [%s]", metadata.c_str());
  ParseSnapMetaData(metadata, volName, volSerial, snapSerial, groupSnapName);
  record->logWithContext(0, context, "VolName[%s], VolSerial[%s], SnapSerial[%s]",
                         volName.c_str(), volSerial.c_str(), snapSerial.c_str());
  return 1;
}

bool UpdateMetaDataSnapUUID(KXSO::SnapInfo* record, const std::string& newVolName,
                            const std::string& volSerial, const std::string& snapSerial,
                            const std::string& groupSnapName) {
  if (record == nullptr) return false;
  const char* context = "UpdateMetaDataSnapUUID";
  std::string newMetadata = newVolName;
  for (const std::string* field : {&volSerial, &snapSerial, &groupSnapName}) {
    if (!field->empty()) newMetadata += "|" + *field;
  }

  std::string oldMetadata;
  if (record->getMetadataString(KXSO::SM_MDT_SNAP_UUID, oldMetadata) == 0) {
    record->logWithContext(2, context, "Unable to get metadata");
    return false;
  }
  if (!groupSnapName.empty()) {
    record->logWithContext(1, context,
                           "Snapshot metadata/uuid does not change for protection group snapshots");
    return true;
  }
  if (record->setMetadata(KXSO::SM_MDT_SNAP_UUID, newMetadata.c_str()) != 0) {
    record->logWithContext(2, context, "Could not update the metadata to [%s]",
                           newMetadata.c_str());
    return false;
  }
  record->logWithContext(1, context, "Updated metadata from [%s] to [%s]", oldMetadata.c_str(),
                         newMetadata.c_str());

  std::string oldUUID;
  if (record->getSnapUUIDString(oldUUID) != 1) {
    record->logWithContext(2, context, "Could not get the snapUUID");
    return false;
  }
  const size_t suffix = oldUUID.find(".SP-2");
  if (suffix == std::string::npos) {
    record->logWithContext(2, context, "snapUUID [%s]  is corrupted", oldUUID.c_str());
    return false;
  }
  const std::string newUUID = newVolName + oldUUID.substr(suffix);
  if (record->setSnapUUID(newUUID.c_str()) != 0) {
    record->logWithContext(2, context, "Unable to set snapUUID to [%s]", newUUID.c_str());
    return false;
  }
  record->logWithContext(1, context,
                         "Updated snapUUID from [%s]  to [%s] and metadata from [%s] to [%s]",
                         oldUUID.c_str(), newUUID.c_str(), oldMetadata.c_str(),
                         newMetadata.c_str());
  return true;
}
