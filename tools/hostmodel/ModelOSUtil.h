// The OS-utility service of the in-memory host model, and the owner of a
// job's records. Its state is the public OSUtilState plus the array
// registry (its own, or one shared with other services).
//
// Answers beyond the interface's own contract:
//  - getArrayList lists the registered arrays of the vendor (all arrays for
//    a null vendor); a short capacity answers the size needed (call again).
//  - getArrayDetails finds the array by name or alias; unknown: -1; a short
//    *len answers 1 with *len set to the size needed.
//  - getArrayConfigString: 1 for an unknown array or key, 2 with *len the
//    size needed for a short buffer.
//  - detectHbaList / detectHbaListOnHost with a null names or kinds buffer
//    answer the sizes (*namesLen = text + 1, *kindsLen = *count = number of
//    initiators) and true; with buffers too small, the sizes and false;
//    otherwise the comma-separated names, one kind byte each (1 iSCSI,
//    2 FC) and true.
//  - executeOnRemote records the proxy name and answers the remote hook
//    (false without one). rescanScsiBus records the call, then runs the
//    rescan hook.
//  - cloneSnapInfoList copies the records given (the job records handed out
//    by records(), or else up to the first null) without their logs; the
//    copies are owned here and join the job's records.
//  - state().calls counts the calls of each operation by name.
//  - every operation whose name is in state().failing answers failure
//    (getArrayConfigString also accepts "getArrayConfigString:KEY").
#ifndef KXHOST_MODELOSUTIL_H
#define KXHOST_MODELOSUTIL_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ArrayRegistry.h"
#include "HostModelState.h"
#include "KXSOOSUtil.h"
#include "ModelSnapInfo.h"

namespace kxhost {

class ModelOSUtil : public KXSO::KXOSUtil {
 public:
  // true = the records were run on the proxy (and carry its results).
  using RemoteHook = std::function<bool(ModelOSUtil& util, const std::string& proxy)>;
  using RescanHook = std::function<void(ModelOSUtil& util, const RescanCall& call)>;

  ModelOSUtil();
  explicit ModelOSUtil(std::shared_ptr<ArrayRegistry> registry);
  ~ModelOSUtil() override;

  OSUtilState& state() { return state_; }
  const OSUtilState& state() const { return state_; }
  ArrayRegistry& arrays() { return *registry_; }
  std::shared_ptr<ArrayRegistry> sharedArrays() const { return registry_; }
  // Registers an array; returns its id.
  int addArray(ArrayEntry entry) { return registry_->add(std::move(entry)); }

  void setRemoteHook(RemoteHook hook) { remoteHook_ = std::move(hook); }
  void setRescanHook(RescanHook hook) { rescanHook_ = std::move(hook); }

  // The job's records. addRecord makes one bound to this registry, owned
  // here; adoptRecord adds one the caller owns (and keeps alive).
  ModelSnapInfo& addRecord();
  void adoptRecord(ModelSnapInfo* record);
  const std::vector<ModelSnapInfo*>& jobRecords() const { return job_; }
  // The job's records as the plug-in receives them, null-terminated. The
  // array stays valid until the next call of records().
  KXSO::SnapInfo** records();
  short count() const { return static_cast<short>(job_.size()); }
  // The record arrays cloneSnapInfoList handed out, in order.
  const std::vector<std::vector<KXSO::SnapInfo*>>& copies() const { return copyArrays_; }

  // KXSO::KXOSUtil
  void rescanScsiBus(const char* host, const char** names, const char** names2) override;
  int getDeviceListBuffer(const char* host, const char* vendor, char separator, int capacity,
                          char* buffer) override;
  int getArrayList(const char* vendor, char separator, short capacity, char* buffer) override;
  bool detectHbaList(const char* host, const char* filter, char* names, short* namesLen,
                     char* kinds, short* kindsLen, short* count) override;
  int getArrayDetails(const char* arrayName, char* buffer, short* len) override;
  uint64_t getOperationId() override;
  bool executeOnRemote(const char* proxyName) override;
  int getVmwareDevicePage(const char* esxHost, const char* lunId, const char* unknown, int appId,
                          int cellId, int reserved, int page, int capacity,
                          char* buffer) override;
  bool detectHbaListOnHost(const char* hostName, const char* filter, char* names,
                           short* namesLen, char* kinds, short* kindsLen,
                           short* count) override;
  int getArrayConfigString(int arrayId, int reserved, const char* key, char* buffer,
                           int* len) override;
  int cloneSnapInfoList(KXSO::SnapInfo** records, KXSO::SnapInfo*** copies) override;
  int getDeviceNames(const char* host, const char* vendor,
                     std::vector<std::string>& names) override;
  int getVmwareDevicePageAlt(const char* esxHost, const char* lunId, const char* unknown,
                             int appId, int cellId, int reserved, int page, int capacity,
                             char* buffer) override;

 protected:
  // Makes a new record for addRecord and for copies; a derived service may
  // make its own kind.
  virtual std::unique_ptr<ModelSnapInfo> newRecord();

 private:
  // Counts the call of op, then answers whether op is made to fail.
  bool fails(const char* op) {
    ++state_.calls[op];
    return state_.failing.fails(op);
  }
  bool detect(const char* op, const std::string& host, char* names, short* namesLen, char* kinds,
              short* kindsLen, short* count);
  int vmwarePage(const char* op, bool alt, const char* esxHost, const char* lunId, int capacity,
                 char* buffer);
  ModelSnapInfo& own(std::unique_ptr<ModelSnapInfo> record);

  OSUtilState state_;
  std::shared_ptr<ArrayRegistry> registry_;
  RemoteHook remoteHook_;
  RescanHook rescanHook_;
  std::vector<std::unique_ptr<ModelSnapInfo>> owned_;
  std::vector<ModelSnapInfo*> job_;
  std::vector<KXSO::SnapInfo*> handedOut_;
  std::vector<std::vector<KXSO::SnapInfo*>> copyArrays_;
};

}  // namespace kxhost

#endif  // KXHOST_MODELOSUTIL_H
