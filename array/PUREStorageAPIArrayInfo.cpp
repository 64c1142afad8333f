// FlashArray facts: ports, display name, serial number and version, pods.
#include "CZuString.h"
#include "PUREStorageAPI.h"
#include "RestText.h"

bool PureStorageAPI::getArrayPorts(std::vector<std::string>& ports) {
  resetForRequest();
  ports.clear();
  if (!rest_->get("port", "", response_)) {
    setError("Error in getting array ports-" + server_);
    return false;
  }
  return guarded("PureStorageAPI::getArrayPorts", [&] {
    jsonxx::Array list;
    if (!list.parse(response_) || list.empty()) {
      setError("No Array Ports returned for " + server_);
      return false;
    }
    for (const jsonxx::Value& element : list.values()) {
      const jsonxx::Object& port = element.get<jsonxx::Object>();
      const std::string* name = stringMember(port, "iqn");
      if (name == nullptr) name = stringMember(port, "wwn");
      if (name != nullptr) ports.push_back(ToLower(*name));
    }
    if (ports.empty()) {
      setError("No iqn / wwn found in Array Ports response[" + response_ + "] for " + server_);
      return false;
    }
    return true;
  });
}

bool PureStorageAPI::getArrayObject(const std::string& prefix, jsonxx::Object& answer) {
  resetForRequest();
  if (!rest_->get("array", "", response_)) {
    setError("Error in getting all the array details. Error [" + response_ + "]");
    return false;
  }
  if (!answer.parse(response_) || answer.empty()) {
    setError(prefix + "Empty response received while getting array details.");
    return false;
  }
  return true;
}

bool PureStorageAPI::getArrayDisplayName(std::string& name) {
  static const std::string kPrefix = "PureStorageAPI::getArrayDisplayName";
  name.clear();
  jsonxx::Object answer;
  if (!getArrayObject(kPrefix, answer)) return false;
  const std::string* got = stringMember(answer, "array_name");
  if (got == nullptr) {
    setError(kPrefix + "array_name not found in response [" + response_ + "]");
    return false;
  }
  name = *got;
  return true;
}

bool PureStorageAPI::getArraySerialNumber(std::string& serial, std::string& version) {
  static const std::string kPrefix = "PureStorageAPI::getArraySerialNumber";
  serial.clear();
  version.clear();
  jsonxx::Object answer;
  if (!getArrayObject(kPrefix, answer)) return false;
  const std::string* id = stringMember(answer, "id");
  if (id == nullptr) {
    setError(kPrefix + "id not found in response [" + response_ + "]");
    return false;
  }
  if (const std::string* v = stringMember(answer, "version")) version = *v;
  serial = *id;
  return true;
}

bool PureStorageAPI::GetPodInfo(const std::string& podName, std::vector<PodArrayInfo>& arrays) {
  resetForRequest();
  arrays.clear();
  rest_->setRelativeBasePath("api/1.13");
  bool sent = rest_->get(CZuString::Format("{1}/{2}", "pod", urlEncodeName(podName)), "",
                         response_);
  rest_->setRelativeBasePath("api/1.4");
  if (!sent) {
    setError("Error in getting Pod details for Pod  [" + podName + "]. Response [" + response_ +
             "].");
    return false;
  }
  return guarded("PureStorageAPI::GetPodInfo", [&] {
    jsonxx::Object pod;
    pod.parse(response_);
    if (!pod.has<jsonxx::Array>("arrays")) {
      setError("No Pod exists by podname  [ " + podName + "].");
      return false;
    }
    const jsonxx::Array& members = pod.get<jsonxx::Array>("arrays");
    if (members.empty()) {
      setError("No Pod exists by podname [ " + podName + "].");
      return false;
    }
    // A member without one of the four strings is a malformed answer: the
    // whole lookup fails rather than handing on a half-read member.
    std::vector<PodArrayInfo> read;
    for (const jsonxx::Value& element : members.values()) {
      const jsonxx::Object& member = element.get<jsonxx::Object>();
      PodArrayInfo info;
      info.arrayId = member.get<jsonxx::String>("array_id");
      info.mediatorStatus = member.get<jsonxx::String>("mediator_status");
      info.arrayName = member.get<jsonxx::String>("name");
      info.status = member.get<jsonxx::String>("status");
      read.push_back(info);
    }
    arrays = read;
    return true;
  });
}
