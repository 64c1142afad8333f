// FlashArray volumes and clones: create from snapshots, look up, delete,
// find by serial, find and recover clones.
#include "CZuString.h"
#include "PUREStorageAPI.h"
#include "RestText.h"
#include "StrKit.h"

namespace {

std::string upperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

void buildJSONBodyForCreateVolFromSnap(const std::string& snapName, bool overwrite,
                                       std::string& body) {
  body = CZuString::Format(overwrite ? "{\"overwrite\": true, \"source\":\"{1}\"}"
                                     : "{\"source\":\"{1}\"}",
                           jsonEscape(snapName));
}

bool PureStorageAPI::createVolumeFromSnap(PS_SnapInfo& snap, const std::string&, bool overwrite) {
  resetForRequest();
  buildJSONBodyForCreateVolFromSnap(snap.snapName, overwrite, requestBody_);
  const std::string target = snap.cloneVolName;
  if (!rest_->post(restPath("volume", target), requestBody_, response_)) {
    setError("Error in creating volumes from snaps.");
    return false;
  }
  jsonxx::Object answer;
  if (!answer.parse(response_) || answer.empty()) {
    setError("Volume creation from snap failed. No volume returned.");
    return false;
  }
  const std::string tail = response_ + "].";
  const std::string* name = stringMember(answer, "name");
  const std::string* serial = stringMember(answer, "serial");
  if (!name) return setError("Name not found in volume create from snap response[" + tail), false;
  if (!serial) return setError("Serial not found in volume create from snap response[" + tail), false;
  if (name->empty()) return setError("Name is empty in volume create from snap response[" + tail), false;
  if (serial->empty()) return setError("Serial is empty in volume create from snap response[" + tail), false;
  if (*name != target) {
    setError("Volume creation failed - Target Volume Name [" + target + "]. Got Volume Name [" +
             *name + "] in create volume from snap response [" + tail);
    return false;
  }
  snap.cloneVolName = *name;
  snap.cloneVolSerial = *serial;
  return true;
}

bool PureStorageAPI::createVolumesFromSnap(std::vector<PS_SnapInfo>& snaps,
                                           const std::string& unused) {
  for (PS_SnapInfo& snap : snaps) {
    if (!createVolumeFromSnap(snap, unused, false)) return false;
  }
  return true;
}

bool PureStorageAPI::checkIfVolumeExists(const PS_SnapInfo& snap, bool& exists, bool nameOnly) {
  static const std::string kPrefix = "checkIfVolumeExists:";
  const std::string& volume = snap.volName;
  exists = true;
  resetForRequest();
  if (!rest_->get(restPath("volume", volume), "", response_)) {
    std::string msg;
    if (!getErrorMsgFromResponse(response_, msg)) {
      setError(kPrefix + " error in parsing response [" + response_ + "] for volume[" + volume +
               "].");
      return false;
    }
    if (msg == "Volume does not exist.") {
      exists = false;
      return true;
    }
    setError(kPrefix + " error msg [" + msg + "] in response[" + response_ + "] for volume[" +
             volume + "].");
    return false;
  }
  jsonxx::Object answer;
  if (!answer.parse(response_) || answer.empty()) {
    setError(kPrefix + "No volume exists by name[ " + volume + "].");
    exists = false;
    return true;
  }
  const std::string* name = stringMember(answer, "name");
  const std::string* serial = stringMember(answer, "serial");
  const char* fault = !name ? "Name not found in response ["
                    : !serial ? "Serial Number not found in response ["
                    : name->empty() ? "Name is empty in response ["
                    : serial->empty() ? "Serial Number is empty in response ["
                                      : nullptr;
  if (fault != nullptr) {
    setError(kPrefix + fault + response_ + "] for volume " + volume + ".");
    exists = false;
    return true;
  }
  exists = *name == volume && (nameOnly || *serial == snap.volSerial);
  return true;
}

bool PureStorageAPI::checkIfVolWithSourceNameExists(const std::string& volName,
                                                    const std::string& sourceName, bool& exists,
                                                    std::string& serial) {
  static const std::string kPrefix = "checkIfVolWithSourceNameExists:";
  exists = true;
  resetForRequest();
  serial.clear();
  if (!rest_->get(restPath("volume", volName), "", response_)) {
    std::string msg;
    if (!getErrorMsgFromResponse(response_, msg)) {
      setError(kPrefix + " error in parsing response [" + response_ + "] for volume " + volName +
               ", source volume " + sourceName + ".");
      return false;
    }
    if (StrKit::FindString(msg.c_str(), "Volume does not exist", true) != 0 ||
        StrKit::FindString(msg.c_str(), "Volume has been destroyed", true) != 0) {
      log(1, "checkIfVolWithSourceNameExists", "Volume does not exist, msg :[%s]", msg.c_str());
      exists = false;
      return true;
    }
    setError(kPrefix + " error msg [" + msg + "] in response[" + response_ + "] for volume " +
             volName + ", source volume " + sourceName + ".");
    return false;
  }
  jsonxx::Object answer;
  if (!answer.parse(response_) || answer.empty()) {
    setError(kPrefix + "No snaps exist for volume [ " + volName + "].");
    exists = false;
    return true;
  }
  const std::string* name = stringMember(answer, "name");
  if (name == nullptr) {
    setError(kPrefix + "Snap Name not found in response [" + response_ + "] for volume " +
             volName + ".");
    exists = false;
    return true;
  }
  const std::string* sourcePtr = stringMember(answer, "source");
  const std::string source = sourcePtr ? *sourcePtr : std::string();
  if (const std::string* s = stringMember(answer, "serial")) serial = *s;
  if (name->empty()) {
    setError(kPrefix + "Volume Name is empty in response [" + response_ + "] for volume " +
             volName + ".");
    exists = false;
    return true;
  }
  exists = *name == volName && (source == sourceName || source.empty());
  return true;
}

bool PureStorageAPI::destroyVolume(PS_SnapInfo& snap, bool nameOnly) {
  bool exists = false;
  if (!checkIfVolumeExists(snap, exists, nameOnly) || !exists) return false;
  bool ignored = false;
  return destroyOrEradicate(snap.volName, restPath("volume", snap.volName), ignored);
}

bool PureStorageAPI::eradicateVolume(PS_SnapInfo& snap, bool& eradicationDisabled) {
  return destroyOrEradicate(snap.volName, restPath("volume", snap.volName, "?eradicate=true"),
                            eradicationDisabled);
}

bool PureStorageAPI::getVolumeNameUsingSerialNumber(const std::string& serial,
                                                    std::string& volName) {
  if (apiVersions_.count("1.7") != 0) return getVolumeNameUsingSerialNumber_1_7(serial, volName);
  return getVolumeNameUsingSerialNumber_1_4(serial, volName);
}

bool PureStorageAPI::getVolumeNameUsingSerialNumber_1_4(const std::string& serial,
                                                        std::string& volName) {
  volName.clear();
  resetForRequest();
  if (!rest_->get("volume", "", response_)) {
    setError("Error in getting volume list. [" + response_ + "].");
    return false;
  }
  return guarded("PureStorageAPI::getVolumeNameUsingSerialNumber_1_4", [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      setError("No volumes found on array.");
      return false;
    }
    for (const jsonxx::Value& element : list.values()) {
      const jsonxx::Object& volume = element.get<jsonxx::Object>();
      const std::string* got = stringMember(volume, "serial");
      if (got == nullptr || upperCase(*got) != serial) continue;
      const std::string* name = stringMember(volume, "name");
      if (name == nullptr) {
        setError("Volume name not found in response [" + response_ + "] for serial [" + serial +
                 "].");
        return false;
      }
      volName = *name;
      break;
    }
    if (volName.empty()) {
      setError("No volume fetched by serial [ " + serial + "]");
      return false;
    }
    return true;
  });
}

bool PureStorageAPI::getVolumeNameUsingSerialNumber_1_7(const std::string& serial,
                                                        std::string& volName) {
  volName.clear();
  resetForRequest();
  rest_->setRelativeBasePath("api/1.7");
  bool sent = rest_->get(CZuString::Format("{1}?filter=serial='{2}'", "volume",
                                           urlEncodeName(serial)),
                         "", response_);
  rest_->setRelativeBasePath("api/1.4");
  if (!sent) {
    setError("Error in getting volume details for serial number [" + serial + "]. Response [" +
             response_ + "].");
    return false;
  }
  return guarded("PureStorageAPI::getVolumeNameUsingSerialNumber_1_7", [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      setError("No volume exists by serial number [ " + serial + "].");
      return false;
    }
    const std::string* name = stringMember(list.get<jsonxx::Object>(0), "name");
    if (name == nullptr) {
      setError("Volume name not found in response. SerialNumber [" + serial + "]. Response[" +
               response_ + "].");
      return false;
    }
    volName = *name;
    return true;
  });
}

// The two clone lookups differ in their filter and their texts only.
bool PureStorageAPI::getVolumeList(const char* context, const std::string& relative,
                                   const char* noneFmt, const char* noneQualifiedFmt,
                                   const std::string& prefix, std::vector<VolumeInfo>& out) {
  resetForRequest();
  rest_->setRelativeBasePath("api/1.7");
  if (!rest_->get(relative, "", response_)) {
    setError("Error in getting clone volumes from array[" + server_ + "],Response [" + response_ +
             "].");
    log(2, context, "%s", errorStr_.c_str());
    rest_->setRelativeBasePath("api/1.4");
    return false;
  }
  bool ok = guarded(context, [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      log(1, context, noneFmt, prefix.c_str());
      rest_->setRelativeBasePath("api/1.4");
      return true;
    }
    size_t before = out.size();
    for (const jsonxx::Value& element : list.values()) {
      const jsonxx::Object& volume = element.get<jsonxx::Object>();
      const std::string* name = stringMember(volume, "name");
      const std::string* serial = stringMember(volume, "serial");
      if (name && serial) out.emplace_back(*name, *serial);
    }
    if (out.size() == before) log(1, context, noneQualifiedFmt, prefix.c_str());
    return true;
  });
  if (!ok) rest_->setRelativeBasePath("api/1.4");
  return ok;
}

bool PureStorageAPI::getCloneVolumes(const std::string& prefix, std::vector<VolumeInfo>& clones) {
  return getVolumeList("getCloneVolumes",
                       "volume?filter=name=\"" + urlEncodeName(prefix) + "*\"",
                       "No clone volume with clone prefix[%s] found.",
                       "No clone volume with clone prefix [%s] found.", prefix, clones);
}

bool PureStorageAPI::getDestroyedVolumesForClone(const std::string& prefix,
                                                 std::vector<VolumeInfo>& clones) {
  return getVolumeList("getDestroyedVolumesForClone",
                       "volume?pending_only=true&filter=name=\"" + urlEncodeName(prefix) + "*\"",
                       "No clone volume with clone prefix [%s] found in destroyed state.",
                       "No clone volume with clone prefix [%s] found in destroyed state.", prefix,
                       clones);
}

bool PureStorageAPI::GetCloneNameToUse(const std::string& prefix, std::string,
                                       std::string& cloneName, std::string& cloneSerial,
                                       bool& cloneExists, bool& needsResync) {
  const char* ctx = "GetCloneNameToUse";
  cloneExists = false;
  needsResync = false;
  std::vector<VolumeInfo> active;
  if (!getCloneVolumes(prefix, active)) {
    log(2, ctx, "Call to get clone volumes failed for volume prefix [%s].", prefix.c_str());
    return false;
  }
  if (!active.empty()) {
    for (const VolumeInfo& v : active) {
      log(1, ctx, "Active clones with clone prefix [%s] are [%s]", prefix.c_str(),
          v.getName().c_str());
    }
    cloneName = active.front().getName();
    cloneSerial = active.front().getSerial();
    log(1, ctx, "Clone volume for mount is [%s], clone exists", cloneName.c_str());
    cloneExists = true;
    return true;
  }
  std::vector<VolumeInfo> destroyed;
  if (!getDestroyedVolumesForClone(prefix, destroyed)) {
    log(2, ctx, "Call to get clone volumes in destroyed state failed for volume prefix [%s].",
        prefix.c_str());
    return false;
  }
  if (destroyed.empty()) {
    log(1, ctx, "There are no active clones in destroyed state with clone prefix [%s]",
        prefix.c_str());
  }
  for (const VolumeInfo& v : destroyed) {
    log(1, ctx, "Active clones in destroyed state with clone prefix [%s] are [%s]",
        prefix.c_str(), v.getName().c_str());
  }
  if (!destroyed.empty()) {
    const VolumeInfo& first = destroyed.front();
    log(1, ctx, "Moving the clone volume [%s] from destroyed state to normal state",
        first.getName().c_str());
    if (RecoverVolume(first.getName())) {
      log(1, ctx, "Clone volume for mount  is [%s], clone moved from destroyed to normal state",
          first.getName().c_str());
      cloneName = first.getName();
      cloneSerial = first.getSerial();
      cloneExists = true;
      needsResync = true;
      return true;
    }
  }
  cloneName = prefix;
  log(1, ctx, "Using clone volume [%s] for mount, clone needs to be created", cloneName.c_str());
  return true;
}

bool PureStorageAPI::RecoverVolume(const std::string& volName) {
  auto fail = [&](const std::string& text) {
    setError(text);
    log(2, "RecoverVolume", "%s", errorStr_.c_str());
    return false;
  };
  resetForRequest();
  requestBody_ = "{\"action\":\"recover\"}";
  if (!rest_->put("volume/" + urlEncodeName(volName), requestBody_, response_)) {
    return fail("Error in getting volume " + volName + " out of destroyed state , array " + "[" +
                server_ + "]");
  }
  jsonxx::Object answer;
  if (!answer.parse(response_)) {
    return fail("Failed in parsing the response [" + response_ + "] user [" + userName_ +
                "] for array [" + server_ + "]");
  }
  const std::string* name = stringMember(answer, "name");
  if (name == nullptr) {
    return fail("Recover volume error,failed in finding the volume in response [" + response_ +
                "]" + " for array [" + server_ + "]");
  }
  if (*name != volName) {
    return fail("Recover volume returned wrong volume [" + *name + "] - Expected volume[" +
                volName + "] for " + "[" + server_ + "]");
  }
  return true;
}
