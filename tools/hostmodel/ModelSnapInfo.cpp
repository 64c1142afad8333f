#include "ModelSnapInfo.h"

#include <algorithm>
#include <climits>

#include "ModelBuffers.h"

namespace kxhost {
namespace {

constexpr size_t kInquiryPageSize = 255;

void clearBuffer(char* buf, short* len) {
  if (buf != nullptr && len != nullptr && *len > 0) buf[0] = '\0';
}

std::string textOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

int ModelSnapInfo::copyOut(const char* op, bool failed, const std::string& text, char* buf,
                           short* len) {
  if (failed) {
    clearBuffer(buf, len);
    return 1;
  }
  auto forced = state_.tooSmall.find(op);
  if (forced != state_.tooSmall.end() && forced->second > 0 && buf != nullptr && len != nullptr) {
    --forced->second;
    clearBuffer(buf, len);
    const size_t given = static_cast<size_t>(std::max<short>(*len, 0));
    const size_t needed = std::max<size_t>(text.size() + 1, given + 1);
    *len = needed > SHRT_MAX ? SHRT_MAX : static_cast<short>(needed);
    return 2;
  }
  return copyToShortBuffer(text, buf, len);
}

std::string ModelSnapInfo::logText() const {
  std::string out;
  for (const LogLine& line : state_.log) {
    out += line.text;
    out += '\n';
  }
  return out;
}

bool ModelSnapInfo::hasLog(const std::string& text) const {
  return std::any_of(state_.log.begin(), state_.log.end(), [&](const LogLine& line) {
    return line.text.find(text) != std::string::npos;
  });
}

int ModelSnapInfo::getSnapUUID(char* buf, short* len) {
  return copyOut("getSnapUUID", fails("getSnapUUID"), state_.snapUUID, buf, len);
}

int ModelSnapInfo::setSnapUUID(const char* uuid) {
  if (fails("setSnapUUID") || uuid == nullptr) return 1;
  state_.snapUUID = uuid;
  return 0;
}

std::string ModelSnapInfo::boundArrayInfo() const {
  if (state_.arrayId >= 0 && registry_ != nullptr) {
    if (const ArrayEntry* a = registry_->byId(state_.arrayId)) return a->info;
  }
  return state_.arrayInfo;
}

int ModelSnapInfo::getArrayInfo(char* buf, short* len) {
  const std::string info = boundArrayInfo();
  return copyOut("getArrayInfo", fails("getArrayInfo") || info.empty(), info, buf, len);
}

int ModelSnapInfo::setArrayIdentity(const char* identity) {
  if (identity == nullptr || fails("setArrayIdentity")) return 1;
  state_.arrayIdentity = identity;
  int id = -1;
  if (binder_) {
    id = binder_(*this, state_.arrayIdentity);
  } else if (registry_ != nullptr) {
    id = registry_->resolve(state_.arrayIdentity);
  }
  if (id < 0) return 1;
  state_.arrayId = id;
  return 0;
}

int ModelSnapInfo::getHostIdentifier(char* buf, short* len) {
  return copyOut("getHostIdentifier", fails("getHostIdentifier") || !state_.hasHostIdentifier,
                         state_.hostIdentifier, buf, len);
}

bool ModelSnapInfo::hasJobFlag(uint64_t bit) { return (state_.jobFlags & bit) != 0; }
uint64_t ModelSnapInfo::getJobFlags() { return state_.jobFlags; }
int ModelSnapInfo::getStatus() { return state_.status; }
void ModelSnapInfo::setStatus(int status) { state_.status = status; }

int ModelSnapInfo::getSourceDeviceName(char* buf, short* len) {
  return copyOut("getSourceDeviceName", fails("getSourceDeviceName"), state_.sourceDeviceName, buf, len);
}

int ModelSnapInfo::getSnapDeviceName(char* buf, short* len) {
  return copyOut("getSnapDeviceName", fails("getSnapDeviceName"), state_.snapDeviceName, buf, len);
}

int ModelSnapInfo::setSnapDeviceName(const char* name) {
  if (fails("setSnapDeviceName") || name == nullptr) return 1;
  state_.snapDeviceName = name;
  return 0;
}

int ModelSnapInfo::readMetadata(const char* op, short type, std::string* out) const {
  if (fails(op, std::to_string(type))) return 1;
  auto it = state_.metadata.find(type);
  if (it == state_.metadata.end()) return 1;
  *out = it->second;
  return 0;
}

int ModelSnapInfo::storeMetadata(const char* op, short type, const char* text) {
  if (fails(op, std::to_string(type))) return 1;
  if (text == nullptr) {
    state_.metadata.erase(type);
  } else {
    state_.metadata[type] = text;
  }
  return 0;
}

int ModelSnapInfo::getMetadata(short type, char* buf, short* len) {
  std::string text;
  const bool missing = readMetadata("getMetadata", type, &text) != 0;
  return copyOut("getMetadata", missing, text, buf, len);
}

int ModelSnapInfo::setMetadata(short type, const char* text) {
  return storeMetadata("setMetadata", type, text);
}

void ModelSnapInfo::setErrorInfo(int code, const char* message) {
  state_.errorCode = code;
  state_.errorMessage = textOrEmpty(message);
}

void ModelSnapInfo::logMessage(int level, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  LogLine line;
  line.level = level;
  line.text = formatText(fmt, args);
  va_end(args);
  state_.log.push_back(std::move(line));
}

void ModelSnapInfo::logWithContext(int level, const char* context, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  LogLine line;
  line.level = level;
  line.context = textOrEmpty(context);
  line.text = formatText(fmt, args);
  line.withContext = true;
  va_end(args);
  state_.log.push_back(std::move(line));
}

int ModelSnapInfo::getMountId() { return state_.mountId; }

int ModelSnapInfo::getConfigInt(const char* key, int* value) {
  if (key == nullptr || value == nullptr || fails("getConfigInt", key)) return 1;
  auto it = state_.configInts.find(key);
  if (it == state_.configInts.end()) return 1;
  *value = it->second;
  return 0;
}

int ModelSnapInfo::getConfigString(const char* key, char* buf, int* len) {
  if (key == nullptr || fails("getConfigString", key)) {
    if (buf != nullptr && len != nullptr && *len > 0) buf[0] = '\0';
    return 1;
  }
  auto it = state_.configStrings.find(key);
  return copyToIntBuffer(it == state_.configStrings.end() ? std::string() : it->second, buf, len);
}

int ModelSnapInfo::setMetadataLarge(short type, const char* text) {
  return storeMetadata("setMetadataLarge", type, text);
}

int ModelSnapInfo::getValue(int valueId, int* value) {
  if (value == nullptr || fails("getValue", std::to_string(valueId))) return 1;
  auto it = state_.values.find(valueId);
  if (it == state_.values.end()) return 1;
  *value = it->second;
  return 0;
}

int ModelSnapInfo::getMetadataLarge(short type, char* buf, int* len) {
  std::string text;
  if (readMetadata("getMetadataLarge", type, &text) != 0) {
    if (buf != nullptr && len != nullptr && *len > 0) buf[0] = '\0';
    return 1;
  }
  // The interface has no too-small answer here: a short buffer is a failure
  // (with the size needed in *len).
  return copyToIntBuffer(text, buf, len) == 0 ? 0 : 1;
}

int ModelSnapInfo::getArrayId() { return state_.arrayId; }
bool ModelSnapInfo::isConsistencyGroupSnap() { return state_.consistencyGroupSnap; }
int ModelSnapInfo::getGroupSnapId() { return state_.groupSnapId; }
void ModelSnapInfo::setDeviceFlags(uint64_t bits) { state_.deviceFlags |= bits; }
uint64_t ModelSnapInfo::getDeviceFlags() { return state_.deviceFlags; }
void ModelSnapInfo::clearDeviceFlags(uint64_t bits) { state_.deviceFlags &= ~bits; }

int ModelSnapInfo::getSnapUUIDString(std::string& out) {
  if (fails("getSnapUUIDString")) return 0;
  out = state_.snapUUID;
  return 1;
}

int ModelSnapInfo::getSourceDeviceNameString(std::string& out) {
  if (fails("getSourceDeviceNameString")) return 0;
  out = state_.sourceDeviceName;
  return 1;
}

int ModelSnapInfo::getSnapDeviceNameString(std::string& out) {
  if (fails("getSnapDeviceNameString")) return 0;
  out = state_.snapDeviceName;
  return 1;
}

int ModelSnapInfo::getMetadataLargeString(short type, std::string& out) {
  return readMetadata("getMetadataLargeString", type, &out) == 0 ? 1 : 0;
}

int ModelSnapInfo::getMetadataString(short type, std::string& out) {
  return readMetadata("getMetadataString", type, &out) == 0 ? 1 : 0;
}

const unsigned char* ModelSnapInfo::getInquiryData(int page) {
  if (fails("getInquiryData", std::to_string(page))) return nullptr;
  auto it = state_.inquiry.find(page);
  if (it == state_.inquiry.end()) return nullptr;
  std::vector<unsigned char>& served = inquiryServed_[page];
  served = it->second;
  if (served.size() < kInquiryPageSize) served.resize(kInquiryPageSize, 0);
  return served.data();
}

void ModelSnapInfo::setArrayName(const std::string& name) { state_.arrayName = name; }
void ModelSnapInfo::setVolumeSerial(const std::string& serial) { state_.volumeSerial = serial; }
void ModelSnapInfo::setVolumeName(const std::string& name) { state_.volumeName = name; }
int ModelSnapInfo::getSourceClientType() { return state_.sourceClientType; }

int ModelSnapInfo::getRdmDeviceInfo(std::string& deviceList, std::string& esxHost) {
  if (!state_.hasRdmInfo || fails("getRdmDeviceInfo")) return 0;
  deviceList = state_.rdm.deviceList;
  esxHost = state_.rdm.esxHost;
  return 1;
}

void ModelSnapInfo::getReferenceSnapUUID(std::string& out) { out = state_.referenceSnapUUID; }
void ModelSnapInfo::setIdentifyResult(int result) { state_.identifyResult = result; }
int ModelSnapInfo::getIdentifyResult() { return state_.identifyResult; }

}  // namespace kxhost
