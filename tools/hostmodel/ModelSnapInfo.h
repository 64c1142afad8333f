// A per-device record of the in-memory host model. Its whole state is the
// public RecordState; the KXSO::SnapInfo operations read and change it.
//
// Answers beyond the interface's own contract:
//  - buffer getters copy only when text + 1 fits the capacity given; a
//    short capacity answers 2 with *len set to the size needed (also the
//    getters whose contract names no too-small answer); a null buffer or
//    length answers 1. *len is left alone on success.
//  - a missing value answers 1 (getMetadata, getMetadataLarge, getValue,
//    getConfigInt); an unset getConfigString answers 0 with an empty text.
//  - the plain and the Large metadata operations share one store per type;
//    a null text clears the type.
//  - setArrayIdentity asks the binder, or else the registry, for the
//    array's id; unknown arrays answer 1 and leave the binding alone.
//    While bound, getArrayInfo answers the registry's info string of the
//    array, otherwise RecordState::arrayInfo (1 when empty).
//  - state().tooSmall[op] = n makes the short-buffer getter op answer 2
//    the next n times (*len one more than given, or the size needed).
//  - every operation whose name is in state().failing answers failure
//    (getters 1 / false / null / 0 for the *String forms, setters 1); the
//    typed operations also accept "name:TYPE" (getMetadata:6) and the
//    configuration getters "name:KEY".
#ifndef KXHOST_MODELSNAPINFO_H
#define KXHOST_MODELSNAPINFO_H

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ArrayRegistry.h"
#include "HostModelState.h"
#include "KXSOSnapInfo.h"

namespace kxhost {

class ModelSnapInfo : public KXSO::SnapInfo {
 public:
  // Answers the array id an identity names, negative when unknown.
  using Binder = std::function<int(ModelSnapInfo& record, const std::string& identity)>;

  explicit ModelSnapInfo(ArrayRegistry* registry = nullptr) : registry_(registry) {}

  RecordState& state() { return state_; }
  const RecordState& state() const { return state_; }
  void setRegistry(ArrayRegistry* registry) { registry_ = registry; }
  ArrayRegistry* registry() const { return registry_; }
  void setBinder(Binder binder) { binder_ = std::move(binder); }

  // Every logged line's text, one per line; true if one contains text.
  std::string logText() const;
  bool hasLog(const std::string& text) const;

  // KXSO::SnapInfo
  int getSnapUUID(char* buf, short* len) override;
  int setSnapUUID(const char* uuid) override;
  int getArrayInfo(char* buf, short* len) override;
  int setArrayIdentity(const char* identity) override;
  int getHostIdentifier(char* buf, short* len) override;
  bool hasJobFlag(uint64_t bit) override;
  uint64_t getJobFlags() override;
  int getStatus() override;
  void setStatus(int status) override;
  int getSourceDeviceName(char* buf, short* len) override;
  int getSnapDeviceName(char* buf, short* len) override;
  int setSnapDeviceName(const char* name) override;
  int getMetadata(short type, char* buf, short* len) override;
  int setMetadata(short type, const char* text) override;
  void setErrorInfo(int code, const char* message) override;
  KXSO_PRINTF(3, 4) void logMessage(int level, const char* fmt, ...) override;
  KXSO_PRINTF(4, 5) void logWithContext(int level, const char* context, const char* fmt,
                                         ...) override;
  int getMountId() override;
  int getConfigInt(const char* key, int* value) override;
  int getConfigString(const char* key, char* buf, int* len) override;
  int setMetadataLarge(short type, const char* text) override;
  int getValue(int valueId, int* value) override;
  int getMetadataLarge(short type, char* buf, int* len) override;
  int getArrayId() override;
  bool isConsistencyGroupSnap() override;
  int getGroupSnapId() override;
  void setDeviceFlags(uint64_t bits) override;
  uint64_t getDeviceFlags() override;
  void clearDeviceFlags(uint64_t bits) override;
  int getSnapUUIDString(std::string& out) override;
  int getSourceDeviceNameString(std::string& out) override;
  int getSnapDeviceNameString(std::string& out) override;
  int getMetadataLargeString(short type, std::string& out) override;
  int getMetadataString(short type, std::string& out) override;
  const unsigned char* getInquiryData(int page) override;
  void setArrayName(const std::string& name) override;
  void setVolumeSerial(const std::string& serial) override;
  void setVolumeName(const std::string& name) override;
  int getSourceClientType() override;
  int getRdmDeviceInfo(std::string& deviceList, std::string& esxHost) override;
  void getReferenceSnapUUID(std::string& out) override;
  void setIdentifyResult(int result) override;
  int getIdentifyResult() override;

 private:
  bool fails(const char* op) const { return state_.failing.fails(op); }
  bool fails(const char* op, const std::string& detail) const {
    return state_.failing.fails(op, detail);
  }
  // Copies text into (buf, len) for op, or answers its failure / forced
  // too-small answer.
  int copyOut(const char* op, bool failed, const std::string& text, char* buf, short* len);
  int readMetadata(const char* op, short type, std::string* out) const;
  int storeMetadata(const char* op, short type, const char* text);
  std::string boundArrayInfo() const;

  RecordState state_;
  ArrayRegistry* registry_;
  Binder binder_;
  std::map<int, std::vector<unsigned char>> inquiryServed_;
};

}  // namespace kxhost

#endif  // KXHOST_MODELSNAPINFO_H
