// The abstract array client the drivers hold: FlashArray (PureStorageAPI)
// or FlashBlade (PureFlashBladeAPI). A bool result true means the operation
// was carried out (a "not found" comes through an out-argument); false
// means it failed and getErrorStr holds the reason. Nothing is retried.
#ifndef PURESTOR_ARRAYBASEAPI_H
#define PURESTOR_ARRAYBASEAPI_H

#include <string>
#include <vector>

#include "ArrayTypes.h"
#include "KXSOOSUtil.h"

class ArrayBaseAPI {
 public:
  ArrayBaseAPI() : configs_() {}
  virtual ~ArrayBaseAPI() {}

  // Stores the settings; false (nothing changed) without an OS utility or
  // without the logger the client was constructed with.
  virtual bool initialize(const std::string& server, const std::string& userName,
                          const std::string& apiToken, KXSO::KXOSUtil* osUtil,
                          bool diagLogging) = 0;
  virtual bool connect() = 0;
  virtual void reset() = 0;
  virtual bool disconnect() = 0;
  virtual void setDiagLogging(bool on) = 0;
  virtual std::string& getErrorStr() = 0;
  virtual PureArrayType GetArrayType() = 0;

  virtual bool createSnap(std::vector<PS_SnapInfo>& snaps, const std::string& suffix) = 0;
  virtual bool destroySnap(PS_SnapInfo& snap) = 0;
  virtual bool eradicateSnap(PS_SnapInfo& snap, bool& eradicationDisabled) = 0;
  virtual bool checkIfSnapExistsOrNot(PS_SnapInfo& snap, bool& exists) = 0;
  virtual bool checkIfVolWithSourceNameExists(const std::string& volName,
                                              const std::string& sourceName, bool& exists,
                                              std::string& serial) = 0;
  virtual std::string getArrayName() = 0;
  virtual void fetchAPIVersions() = 0;
  virtual bool getVolumeNameUsingSerialNumber(const std::string& serial,
                                              std::string& volName) = 0;

  // The options record of this base; the generic client cache fills it.
  PureStorArrayConfigs& getArrayConfigs() { return configs_; }

 private:
  PureStorArrayConfigs configs_;
};

#endif  // PURESTOR_ARRAYBASEAPI_H
