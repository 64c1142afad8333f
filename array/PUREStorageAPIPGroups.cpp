// FlashArray protection groups: look up, create, allow on a target, change
// volumes, take, check and delete group snapshots.
#include "CZuString.h"
#include "PUREStorageAPI.h"
#include "RestText.h"
#include "StrKit.h"

void buildJSONBodyForCreateProtectionGroup(const std::vector<std::string>& volumes,
                                           const std::string& target, std::string& body) {
  body = "{ \"vollist\": [" + jsonNameList(volumes) +
         CZuString::Format("], \"targetlist\" : [\"{1}\" ]}", jsonEscape(target));
}

void buildJSONBodyForUpdateProtectionGroup(const std::vector<std::string>& add,
                                           const std::vector<std::string>& remove,
                                           std::string& body) {
  body = "{";
  if (!add.empty()) {
    body += " \"addvollist\" : [ " + jsonNameList(add) + "]";
    if (!remove.empty()) body += ",";
  }
  if (!remove.empty()) body += " \"remvollist\" : [ " + jsonNameList(remove) + "]";
  body += "}";
}

void buildJSONBodyForPrGroupSnapCreate(const std::string& group, const std::string& suffix,
                                       std::string& body) {
  body = CZuString::Format(
      "{ \"snap\":true, \"replicate_now\":true,\"source\": [ \"{1}\"], \"suffix\":\"{2}\"}",
      jsonEscape(group), jsonEscape(suffix));
}

bool PureStorageAPI::checkIfPrGroupExists(const std::string& group, bool& exists,
                                          PS_ProtectionGroup& out) {
  static const std::string kPrefix = "PureStorageAPI::checkIfPrGroupExists:";
  exists = false;
  out.init();
  resetForRequest();
  if (!rest_->get(restPath("pgroup", group), "", response_)) {
    std::string msg;
    if (!getErrorMsgFromResponse(response_, msg)) {
      setError(kPrefix + " error in parsing response [" + response_ + "] for protection group [" +
               group + "].");
      return false;
    }
    if (msg == "Protection group does not exist." || msg == "Invalid protection group name.") {
      return true;
    }
    setError(kPrefix + " error msg [" + msg + "] for protection group [" + group + "].");
    return false;
  }
  return guarded("PureStorageAPI::checkIfPrGroupExists", [&] {
    jsonxx::Object answer;
    if (!answer.parse(response_) || answer.empty()) {
      setError(kPrefix + "Empty response received for protection group [ " + group + "].");
      return false;
    }
    const std::string* name = stringMember(answer, "name");
    if (name == nullptr) {
      setError(kPrefix + "Protection Group Name [" + group + "] not found in response [" +
               response_ + "]");
      return false;
    }
    if (*name != group) {
      setError("PrGroup Name sent [" + group + "], PrGroup Name received [" + *name + "]");
      return false;
    }
    out.name = group;
    if (const std::string* source = stringMember(answer, "source")) out.source = *source;
    if (answer.has<jsonxx::Array>("volumes")) {
      for (const jsonxx::Value& v : answer.get<jsonxx::Array>("volumes").values()) {
        if (v.is<jsonxx::String>()) out.volumes.push_back(v.get<jsonxx::String>());
      }
    }
    if (answer.has<jsonxx::Array>("targets")) {
      for (const jsonxx::Value& v : answer.get<jsonxx::Array>("targets").values()) {
        if (!v.is<jsonxx::Object>()) continue;
        const jsonxx::Object& t = v.get<jsonxx::Object>();
        if (!t.has<jsonxx::String>("name") || !t.has<jsonxx::Boolean>("allowed")) continue;
        PS_Targets target;
        target.name = t.get<jsonxx::String>("name");
        target.allowed = t.get<jsonxx::Boolean>("allowed");
        out.targets.push_back(target);
      }
    }
    exists = true;
    return true;
  });
}

bool PureStorageAPI::createProtectionGroup(const std::vector<std::string>& volumes,
                                           const std::string& target, const std::string& group,
                                           std::string& source) {
  static const std::string kPrefix = "PureStorageAPI::createProtectionGroup";
  resetForRequest();
  buildJSONBodyForCreateProtectionGroup(volumes, target, requestBody_);
  if (!rest_->post(restPath("pgroup", group), requestBody_, response_)) {
    setError("Error in creating protection group.");
    return false;
  }
  jsonxx::Object answer;
  if (!answer.parse(response_) || answer.empty()) {
    setError(kPrefix + "Empty response received while creating protection group.");
    return false;
  }
  const std::string* name = stringMember(answer, "name");
  if (name == nullptr) return setError(kPrefix + "name not found in response."), false;
  if (*name != group) return false;
  const std::string* got = stringMember(answer, "source");
  if (got == nullptr) return setError(kPrefix + "source not found in response."), false;
  source = *got;
  return true;
}

bool PureStorageAPI::updateReplicationStatus(const std::string& group, const bool allowed) {
  resetForRequest();
  requestBody_ = allowed ? "{\"allowed\":true}" : "{\"allowed\":false}";
  if (!rest_->put(restPath("pgroup", group), requestBody_, response_)) {
    setError("Error in updating protection group [" + group + "].");
    return false;
  }
  return true;
}

bool PureStorageAPI::updatePrGroupVolumes(const std::string& group,
                                          const std::vector<std::string>& add,
                                          const std::vector<std::string>& remove) {
  resetForRequest();
  buildJSONBodyForUpdateProtectionGroup(add, remove, requestBody_);
  if (!rest_->put(restPath("pgroup", group), requestBody_, response_)) {
    setError("Error in updating protection group.");
    return false;
  }
  return true;
}

bool PureStorageAPI::createPrGroupSnap(const std::string& group, const std::string& suffix,
                                       std::string& snapName) {
  static const std::string kPrefix = "PureStorageAPI::createProtectionGroup";
  snapName.clear();
  resetForRequest();
  buildJSONBodyForPrGroupSnapCreate(group, suffix, requestBody_);
  if (!rest_->post("pgroup", requestBody_, response_)) {
    setError(kPrefix + ":Error in creating protection group snapshot.");
    return false;
  }
  return guarded("PureStorageAPI::createPrGroupSnap", [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      setError(kPrefix + ":Empty response received while creating protection group snapshot.");
      return false;
    }
    const std::string* name = stringMember(list.get<jsonxx::Object>(0), "name");
    if (name == nullptr) {
      setError(kPrefix + ":name not found in response.");
      return false;
    }
    snapName = *name;
    return true;
  });
}

bool PureStorageAPI::checkIfPrGroupSnapExistsOrNot(const std::string& groupSnap, bool& exists) {
  static const std::string kPrefix = "PureStorageAPI::checkIfPrGroupSnapExistsOrNot:";
  exists = true;
  resetForRequest();
  if (!rest_->get(restPath("pgroup", groupSnap, "?snap=true"), "", response_)) {
    std::string msg;
    if (!getErrorMsgFromResponse(response_, msg)) {
      setError(kPrefix + " error in parsing response [" + response_ +
               "] for protection group snap[" + groupSnap + "].");
      return false;
    }
    if (StrKit::FindString(msg.c_str(), "Protection group snapshot does not exist", true) != 0 ||
        StrKit::FindString(msg.c_str(), "Protection group snapshot has been destroyed.", true) != 0) {
      exists = false;
      return true;
    }
    setError(kPrefix + " error msg [" + msg + "] for protection group snap [" + groupSnap + "].");
    return false;
  }
  return guarded("PureStorageAPI::checkIfPrGroupSnapExistsOrNot", [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      setError(kPrefix + "Snap [ " + groupSnap + "] does not exist.  Empty response received.");
      exists = false;
      return true;
    }
    for (const jsonxx::Value& element : list.values()) {
      const std::string* name = stringMember(element.get<jsonxx::Object>(), "name");
      if (name == nullptr || name->empty()) {
        setError(kPrefix + (name ? "Snap Name is empty in response [" : "Snap Name not found in response [") +
                 response_ + "] for snap " + groupSnap);
        return true;
      }
      if (*name == groupSnap) {
        exists = true;
        return true;
      }
    }
    exists = false;
    return true;
  });
}

bool PureStorageAPI::destroyProtectionGroupSnap(const std::string& groupSnap) {
  bool ignored = false;
  return destroyOrEradicatePrGroupSnap(groupSnap, restPath("pgroup", groupSnap), ignored);
}

bool PureStorageAPI::eradicateProtectionGroupSnap(const std::string& groupSnap,
                                                  bool& eradicationDisabled) {
  return destroyOrEradicatePrGroupSnap(groupSnap, restPath("pgroup", groupSnap, "?eradicate=true"),
                                       eradicationDisabled);
}

bool PureStorageAPI::destroyOrEradicatePrGroupSnap(const std::string& name,
                                                   const std::string& relative,
                                                   bool& eradicationDisabled) {
  resetForRequest();
  if (!rest_->del(relative, "", response_)) {
    if (StrKit::FindString(response_.c_str(), "Eradication is disabled", true) != 0) {
      eradicationDisabled = true;
    }
    setError("Error in deleting " + name);
    return false;
  }
  return checkDeleteAnswer(name, false);
}
