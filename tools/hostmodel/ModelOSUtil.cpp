#include "ModelOSUtil.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "ModelBuffers.h"

namespace kxhost {
namespace {

std::string hostKey(const char* host) { return host ? std::string(host) : std::string(); }

std::vector<std::string> nullTerminatedList(const char** list) {
  std::vector<std::string> out;
  for (size_t i = 0; list != nullptr && list[i] != nullptr; ++i) out.emplace_back(list[i]);
  return out;
}

short clampShort(size_t n) { return n > SHRT_MAX ? SHRT_MAX : static_cast<short>(n); }

}  // namespace

ModelOSUtil::ModelOSUtil() : registry_(std::make_shared<ArrayRegistry>()) {}

ModelOSUtil::ModelOSUtil(std::shared_ptr<ArrayRegistry> registry)
    : registry_(registry ? std::move(registry) : std::make_shared<ArrayRegistry>()) {}

ModelOSUtil::~ModelOSUtil() = default;

std::unique_ptr<ModelSnapInfo> ModelOSUtil::newRecord() {
  return std::make_unique<ModelSnapInfo>(registry_.get());
}

ModelSnapInfo& ModelOSUtil::own(std::unique_ptr<ModelSnapInfo> record) {
  owned_.push_back(std::move(record));
  job_.push_back(owned_.back().get());
  return *owned_.back();
}

ModelSnapInfo& ModelOSUtil::addRecord() { return own(newRecord()); }

void ModelOSUtil::adoptRecord(ModelSnapInfo* record) {
  if (record == nullptr) return;
  if (record->registry() == nullptr) record->setRegistry(registry_.get());
  job_.push_back(record);
}

KXSO::SnapInfo** ModelOSUtil::records() {
  handedOut_.assign(job_.begin(), job_.end());
  handedOut_.push_back(nullptr);
  return handedOut_.data();
}

void ModelOSUtil::rescanScsiBus(const char* host, const char** names, const char** names2) {
  ++state_.calls["rescanScsiBus"];
  RescanCall call;
  call.host = hostKey(host);
  call.names = nullTerminatedList(names);
  call.names2 = nullTerminatedList(names2);
  state_.rescans.push_back(call);
  if (rescanHook_) rescanHook_(*this, call);
}

int ModelOSUtil::getDeviceListBuffer(const char* host, const char*, char separator, int capacity,
                                     char* buffer) {
  if (fails("getDeviceListBuffer")) return -1;
  auto it = state_.devicesByHost.find(hostKey(host));
  const std::string text =
      it == state_.devicesByHost.end() ? std::string() : joinTexts(it->second, separator);
  return copyToBuffer(text, buffer, capacity);
}

int ModelOSUtil::getArrayList(const char* vendor, char separator, short capacity, char* buffer) {
  if (fails("getArrayList") || buffer == nullptr) return -1;
  if (state_.arrayListCallAgain > 0) {
    --state_.arrayListCallAgain;
    if (capacity > 0) buffer[0] = '\0';
    return 1;
  }
  std::vector<std::string> names;
  for (const ArrayEntry& a : registry_->arrays) {
    if (vendor == nullptr || a.vendor == vendor) names.push_back(a.name);
  }
  return copyToBuffer(joinTexts(names, separator), buffer, capacity);
}

bool ModelOSUtil::detect(const char* op, const std::string& host, char* names, short* namesLen,
                         char* kinds, short* kindsLen, short* count) {
  if (fails(op) || namesLen == nullptr || kindsLen == nullptr || count == nullptr) return false;
  auto it = state_.hbasByHost.find(host);
  const std::vector<HbaEntry> none;
  const std::vector<HbaEntry>& hbas = it == state_.hbasByHost.end() ? none : it->second;
  std::vector<std::string> list;
  for (const HbaEntry& h : hbas) list.push_back(h.name);
  const std::string text = joinTexts(list, ',');
  const bool sizesOnly = names == nullptr || kinds == nullptr;
  const size_t namesRoom = static_cast<size_t>(std::max<short>(*namesLen, 0));
  const size_t kindsRoom = static_cast<size_t>(std::max<short>(*kindsLen, 0));
  const bool fits = !sizesOnly && text.size() + 1 <= namesRoom && hbas.size() <= kindsRoom;
  if (!fits) {
    *namesLen = clampShort(text.size() + 1);
    *kindsLen = clampShort(hbas.size());
    *count = clampShort(hbas.size());
    return sizesOnly;
  }
  std::memcpy(names, text.c_str(), text.size() + 1);
  for (size_t i = 0; i < hbas.size(); ++i) kinds[i] = hbas[i].iscsi ? 1 : 2;
  *count = clampShort(hbas.size());
  return true;
}

bool ModelOSUtil::detectHbaList(const char*, const char*, char* names, short* namesLen,
                                char* kinds, short* kindsLen, short* count) {
  return detect("detectHbaList", std::string(), names, namesLen, kinds, kindsLen, count);
}

bool ModelOSUtil::detectHbaListOnHost(const char* hostName, const char*, char* names,
                                      short* namesLen, char* kinds, short* kindsLen,
                                      short* count) {
  return detect("detectHbaListOnHost", hostKey(hostName), names, namesLen, kinds, kindsLen,
                count);
}

int ModelOSUtil::getArrayDetails(const char* arrayName, char* buffer, short* len) {
  if (fails("getArrayDetails") || arrayName == nullptr || buffer == nullptr || len == nullptr)
    return -1;
  if (state_.arrayDetailsCallAgain > 0) {
    --state_.arrayDetailsCallAgain;
    if (*len > 0) buffer[0] = '\0';
    return 1;
  }
  const ArrayEntry* a = registry_->find(arrayName);
  if (a == nullptr) return -1;
  return copyToShortBuffer(a->info, buffer, len) == 0 ? 0 : 1;
}

uint64_t ModelOSUtil::getOperationId() {
  ++state_.calls["getOperationId"];
  return state_.operationId;
}

bool ModelOSUtil::executeOnRemote(const char* proxyName) {
  const std::string proxy = hostKey(proxyName);
  state_.remoteCalls.push_back(proxy);
  if (fails("executeOnRemote") || !remoteHook_) return false;
  return remoteHook_(*this, proxy);
}

int ModelOSUtil::vmwarePage(const char* op, bool alt, const char* esxHost, const char* lunId,
                            int capacity, char* buffer) {
  if (fails(op)) return 1;
  for (const VmwarePage& p : state_.vmwarePages) {
    if (p.alt == alt && p.esxHost == hostKey(esxHost) && p.lunId == hostKey(lunId))
      return copyToBuffer(p.text, buffer, capacity) == 0 ? 0 : 1;
  }
  return 1;
}

int ModelOSUtil::getVmwareDevicePage(const char* esxHost, const char* lunId, const char*, int,
                                     int, int, int, int capacity, char* buffer) {
  return vmwarePage("getVmwareDevicePage", false, esxHost, lunId, capacity, buffer);
}

int ModelOSUtil::getVmwareDevicePageAlt(const char* esxHost, const char* lunId, const char*,
                                        int, int, int, int, int capacity, char* buffer) {
  return vmwarePage("getVmwareDevicePageAlt", true, esxHost, lunId, capacity, buffer);
}

int ModelOSUtil::getArrayConfigString(int arrayId, int, const char* key, char* buffer,
                                      int* len) {
  const bool ok = !fails("getArrayConfigString") && key != nullptr &&
                  !state_.failing.fails("getArrayConfigString", key);
  const ArrayEntry* a = ok ? registry_->byId(arrayId) : nullptr;
  auto it = a ? a->config.find(key) : std::map<std::string, std::string>::const_iterator();
  if (a == nullptr || it == a->config.end()) {
    if (buffer != nullptr && len != nullptr && *len > 0) buffer[0] = '\0';
    return 1;
  }
  return copyToIntBuffer(it->second, buffer, len);
}

int ModelOSUtil::cloneSnapInfoList(KXSO::SnapInfo** records, KXSO::SnapInfo*** copies) {
  if (fails("cloneSnapInfoList") || records == nullptr || copies == nullptr) return 0;
  size_t n = 0;
  if (!handedOut_.empty() && records == handedOut_.data()) {
    n = handedOut_.size() - 1;
  } else {
    while (n < job_.size() && records[n] != nullptr) ++n;
  }
  std::vector<KXSO::SnapInfo*> made;
  for (size_t i = 0; i < n; ++i) {
    auto* source = dynamic_cast<ModelSnapInfo*>(records[i]);
    if (source == nullptr) return 0;
    std::unique_ptr<ModelSnapInfo> copy = newRecord();
    copy->state() = source->state();
    copy->state().log.clear();
    made.push_back(copy.get());
    own(std::move(copy));
  }
  made.push_back(nullptr);
  copyArrays_.push_back(std::move(made));
  *copies = copyArrays_.back().data();
  return 1;
}

int ModelOSUtil::getDeviceNames(const char* host, const char*, std::vector<std::string>& names) {
  if (fails("getDeviceNames")) return 0;
  auto it = state_.devicesByHost.find(hostKey(host));
  names = it == state_.devicesByHost.end() ? std::vector<std::string>() : it->second;
  return 1;
}

}  // namespace kxhost
