// FlashArray volume snapshots: create, rename, look up, destroy, eradicate.
#include "CZuString.h"
#include "PUREStorageAPI.h"
#include "RestText.h"
#include "StrKit.h"

void buildJSONBodyForSnapCreate(const std::vector<PS_SnapInfo>& snaps, const std::string& suffix,
                                std::string& body) {
  std::vector<std::string> volumes;
  for (const PS_SnapInfo& snap : snaps) volumes.push_back(snap.volName);
  body = "{ \"snap\" : true, \"source\": [" + jsonNameList(volumes);
  body += CZuString::Format("], \"suffix\" : \"{1}\" }", jsonEscape(suffix));
}

void buildJSONBodyForSnapRename(const std::string& newName, std::string& body) {
  body = "{ \"name\" : \"" + jsonEscape(newName) + "\" }";
}

bool PureStorageAPI::createSnap(std::vector<PS_SnapInfo>& snaps, const std::string& suffix) {
  resetForRequest();
  buildJSONBodyForSnapCreate(snaps, suffix, requestBody_);
  if (!rest_->post("volume", requestBody_, response_)) {
    setError("Error in creating snaps in array-" + server_);
    return false;
  }
  return guarded("PureStorageAPI::createSnap", [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      setError("Snap Creation failed. No snaps returned for " + server_);
      return false;
    }
    const std::string tail = response_ + "] for " + server_;
    bool allFound = true;
    for (const jsonxx::Value& element : list.values()) {
      const jsonxx::Object& snap = element.get<jsonxx::Object>();
      const std::string* name = stringMember(snap, "name");
      const std::string* serial = stringMember(snap, "serial");
      const std::string* source = stringMember(snap, "source");
      if (!name) return setError("Name not found in snap create response[" + tail), false;
      if (!serial) return setError("Serial not found in snap create response[" + tail), false;
      if (!source) return setError("Source not found in snap create response[" + tail), false;
      if (name->empty()) return setError("Name is empty in snap create response[" + tail), false;
      if (serial->empty()) return setError("Serial is empty in snap create response[" + tail), false;
      if (source->empty()) return setError("Source is empty in snap create response[" + tail), false;
      bool found = false;
      for (PS_SnapInfo& record : snaps) {
        if (record.volName == *source) {
          record.snapName = *name;
          record.snapSerial = *serial;
          found = true;
          break;
        }
      }
      if (!found) {
        setError("Source volume[" + *source + "] not found in the passed-in list");
        allFound = false;
      }
    }
    return allFound;
  });
}

bool PureStorageAPI::renameSnap(const std::string& oldName, const std::string& newName) {
  resetForRequest();
  buildJSONBodyForSnapRename(newName, requestBody_);
  if (!rest_->put(restPath("volume", oldName), requestBody_, response_)) {
    setError("Error in renaming snap[" + oldName + "] to [" + newName + "] in array " + server_);
    return false;
  }
  jsonxx::Object answer;
  const std::string* name = nullptr;
  if (answer.parse(response_) && !answer.empty()) name = stringMember(answer, "name");
  if (name == nullptr || *name != newName) {
    setError("Snap rename failed old snap name[" + oldName + "] new snap name[" + newName +
             "] in array " + server_);
    return false;
  }
  return true;
}

bool PureStorageAPI::checkIfSnapExistsOrNot(PS_SnapInfo& snap, bool& exists) {
  static const std::string kPrefix = "PureStorageAPI::checkIfSnapExistsOrNot:";
  exists = true;
  resetForRequest();
  const std::string& volume = snap.volName;
  if (!rest_->get(restPath("volume", volume, "?snap=true"), "", response_)) {
    std::string msg;
    if (!getErrorMsgFromResponse(response_, msg)) {
      setError(kPrefix + " error in parsing response [" + response_ + "] for volume[" + volume +
               "] in array " + server_);
      return false;
    }
    if (msg == "Volume does not exist." || msg == "No such volume or snapshot.") {
      exists = false;
      return true;
    }
    setError(kPrefix + " error msg [" + msg + "] for volume[" + volume + "] in array " + server_);
    return false;
  }
  return guarded("PureStorageAPI::checkIfSnapExistsOrNot", [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      setError(kPrefix + "No snaps exist for volume [ " + volume + "] in array " + server_);
      exists = false;
      return true;
    }
    const std::string tail = response_ + "] for volume " + volume + " in array " + server_;
    for (const jsonxx::Value& element : list.values()) {
      const jsonxx::Object& item = element.get<jsonxx::Object>();
      const std::string* name = stringMember(item, "name");
      const std::string* source = stringMember(item, "source");
      const std::string* serial = stringMember(item, "serial");
      const char* fault = !name ? "Snap Name not found in response ["
                        : !source ? "Snap Source Volume Name not found in response ["
                        : !serial ? "Snap Serial Number not found in response ["
                        : name->empty() ? "Snap Name is empty in response ["
                        : source->empty() ? "Source Volume Name is empty in response ["
                        : serial->empty() ? "Snap Serial Number is empty in response ["
                                          : nullptr;
      if (fault != nullptr) {
        setError(kPrefix + fault + tail);
        return true;  // exists stays true: the caller must not take it as gone
      }
      if (*name == snap.snapName && *serial == snap.snapSerial) {
        exists = true;
        return true;
      }
    }
    exists = false;
    return true;
  });
}

bool PureStorageAPI::destroySnap(PS_SnapInfo& snap) {
  bool exists = false;
  if (!checkIfSnapExistsOrNot(snap, exists)) {
    setError("Error in calling checkIfSnapExistsOrNot for snap [" + snap.snapName +
             "] of volume [" + snap.volName + "] in array " + server_);
    return false;
  }
  if (!exists) {
    setError("Snap [" + snap.snapName + "] does not exist of volume [" + snap.volName +
             "] in array " + server_);
    return false;
  }
  bool ignored = false;
  return destroyOrEradicate(snap.snapName, restPath("volume", snap.snapName), ignored);
}

bool PureStorageAPI::eradicateSnap(PS_SnapInfo& snap, bool& eradicationDisabled) {
  return destroyOrEradicate(snap.snapName, restPath("volume", snap.snapName, "?eradicate=true"),
                            eradicationDisabled);
}

bool PureStorageAPI::destroyOrEradicate(const std::string& name, const std::string& relative,
                                        bool& eradicationDisabled) {
  resetForRequest();
  eradicationDisabled = false;
  if (!rest_->del(relative, "", response_)) {
    if (StrKit::FindString(response_.c_str(), "Eradication is disabled", true) != 0) {
      eradicationDisabled = true;
    }
    setError("Error in deleting " + name + " in array " + server_);
    return false;
  }
  return checkDeleteAnswer(name, true);
}

// The answer of a successful DELETE must name the deleted object.
// fullMismatchText: the mismatch text also names the object and the array.
bool PureStorageAPI::checkDeleteAnswer(const std::string& name, bool fullMismatchText) {
  jsonxx::Object answer;
  if (!answer.parse(response_) || answer.empty()) {
    setError("Empty response for delete request for [ " + name + "] in array " + server_);
    return false;
  }
  const std::string tail = response_ + "] for [" + name + "] in array " + server_;
  const std::string* got = stringMember(answer, "name");
  if (got == nullptr) return setError("Name not found in delete response [" + tail), false;
  if (got->empty()) return setError("Name is empty in delete response [" + tail), false;
  if (*got != name) {
    setError("Snap Delete Failed - Name [" + name + "]. Got Snap Name [" + *got +
             "] in delete response [" + (fullMismatchText ? tail : response_ + "]"));
    return false;
  }
  return true;
}

bool PureStorageAPI::getSnapSerialNum(const std::string& snapName, std::string& serial) {
  static const std::string kPrefix = "PureStorageAPI::getSnapSerialNum";
  resetForRequest();
  if (!rest_->get(restPath("volume", snapName, "?snap=true"), "", response_)) {
    setError(kPrefix + ":Error in getting snap details. Response [" + response_ + "].");
    return false;
  }
  return guarded("PureStorageAPI::getSnapSerialNum", [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      setError(kPrefix + ":Empty response received while getting snap details.");
      return false;
    }
    const std::string* got = stringMember(list.get<jsonxx::Object>(0), "serial");
    if (got == nullptr) {
      setError(kPrefix + ":serial not found in response.");
      return false;
    }
    serial = *got;
    return true;
  });
}
