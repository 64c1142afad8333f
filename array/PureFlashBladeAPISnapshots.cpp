// FlashBlade file-system snapshots: create, check, destroy, eradicate.
#include "CZuString.h"
#include "PureFlashBladeAPI.h"
#include "RestText.h"
#include "StrKit.h"

namespace {

std::string snapshotByName(const std::string& snapName) {
  return CZuString::Format("{1}{2}", "file-system-snapshots?name=", urlEncodeName(snapName));
}

}  // namespace

bool PureFlashBladeAPI::createSnap(std::vector<PS_SnapInfo>& snaps, const std::string& suffix) {
  const char* ctx = "createSnap";
  for (PS_SnapInfo& current : snaps) {
    resetForRequest();
    requestBody_ = CZuString::Format("{\"suffix\": \"{1}\"}", jsonEscape(suffix));
    if (!rest_->post("file-system-snapshots?sources=" + urlEncodeName(current.volName),
                     requestBody_, response_)) {
      return fail(ctx, "Error in creating snaps on array-[" + server_ + "]");
    }
    bool ok = guarded(ctx, [&] {
      jsonxx::Object answer;
      if (!answer.parse(response_) || answer.empty()) {
        return fail(ctx, "Snap Creation failed. No snaps returned from array [" + server_ + "]");
      }
      const jsonxx::Array& items = answer.get<jsonxx::Array>("items");
      const std::string tail = response_ + "] from array [" + server_ + "]";
      if (items.size() >= 2) {
        return fail(ctx, "Snap creation failed. More than one snaps returned in response, "
                         "response[" + tail);
      }
      const jsonxx::Object& snap = items.get<jsonxx::Object>(0);
      const std::string* name = stringMember(snap, "name");
      const std::string* source = stringMember(snap, "source");
      if (!name) return fail(ctx, "Name not found in snap create response[" + tail);
      if (!source) return fail(ctx, "Source not found in snap create response[" + tail);
      if (name->empty()) return fail(ctx, "Name is empty in snap create response[" + tail);
      if (source->empty()) return fail(ctx, "Source is empty in snap create response[" + tail);
      for (PS_SnapInfo& record : snaps) {
        if (record.volName != *source) continue;
        record.snapName = *name;
        log(1, ctx, "Snap [%s] created for volume [%s]", name->c_str(), source->c_str());
        return true;
      }
      return fail(ctx, "Source volume[" + *source + "] not found in the passed-in list");
    });
    if (!ok) return false;
  }
  return true;
}

bool PureFlashBladeAPI::checkIfSnapExistsOrNot(PS_SnapInfo& snap, bool& exists) {
  const char* ctx = "checkIfSnapExistsOrNot";
  const std::string prefix = "PureFlashBladeAPI::DoesSnapExist:";
  resetForRequest();
  if (!rest_->get("file-system-snapshots?names_or_sources=" + urlEncodeName(snap.snapName), "",
                  response_)) {
    std::string msg;
    if (!getErrorMsgFromResponse2(response_, msg)) {
      return fail(ctx, prefix + " Error in parsing response [" + response_ + "], from array [" +
                           server_ + "]");
    }
    if (msg == "Snapshot does not exist." || msg == "File system does not exist.") {
      exists = false;
      fail(ctx, "Error in finding snap on array [" + server_ + "] error message [" + msg + "]");
      return true;
    }
    return fail(ctx, prefix + " error message [" + msg + "] for snap[" + snap.snapName +
                         "] from array [" + server_ + "]");
  }
  return guarded(ctx, [&] {
    jsonxx::Object answer;
    if (!answer.parse(response_) || answer.empty()) {
      return fail(ctx, "Snap check failed.No snaps returned from array [" + server_ + "]");
    }
    for (const jsonxx::Value& element : answer.get<jsonxx::Array>("items").values()) {
      const jsonxx::Object& item = element.get<jsonxx::Object>();
      const std::string* name = stringMember(item, "name");
      const std::string* source = stringMember(item, "source");
      if (!name) {
        return fail(ctx, "Name not found in response[" + response_ + "] from array [" + server_ + "]");
      }
      if (!source) {
        return fail(ctx, "Source not found in response[" + response_ + "] from array[" + server_ + "]");
      }
      if (name->empty()) {
        return fail(ctx, "Name is empty in response[" + response_ + "] from array [" + server_ + "]");
      }
      if (source->empty()) {
        return fail(ctx, "Source is empty in response[" + response_ + "] from array [" + server_ + "]");
      }
      if (*name == snap.snapName) {
        log(1, ctx, "Snap [%s] found on array [%s]", name->c_str(), server_.c_str());
        exists = true;
        return true;
      }
    }
    exists = false;
    return true;
  });
}

bool PureFlashBladeAPI::destroySnap(PS_SnapInfo& snap) {
  const char* ctx = "destroySnap";
  bool exists = false;
  if (!checkIfSnapExistsOrNot(snap, exists)) {
    return fail(ctx, "Error in calling checkIfSnapExistsOrNot for snap [" + snap.snapName +
                         "] of volume [" + snap.volName + "] from array [" + server_ + "]");
  }
  if (!exists) {
    fail(ctx, "Snap [" + snap.snapName + "] does not exist of volume [" + snap.volName +
                  "] on array [" + server_ + "]");
    return true;
  }
  resetForRequest();
  requestBody_ = "{\"destroyed\" : true}";
  if (!rest_->patch(snapshotByName(snap.snapName), requestBody_, response_)) {
    std::string msg;
    if (!getErrorMsgFromResponse2(response_, msg)) {
      return fail(ctx, " Error in parsing response [" + response_ + "], from array [" + server_ +
                           "]");
    }
    if (StrKit::FindString(msg.c_str(), "Snapshot has been destroyed.", true) != 0) {
      log(2, ctx, "Snapshot is already destroyed");
      return true;
    }
    return fail(ctx, "Error in destroying snaps, response[" + response_ + "] from array [" +
                         server_ + "]");
  }
  return guarded(ctx, [&] {
    const std::string tail = response_ + "] from array [" + server_ + "]";
    jsonxx::Object answer;
    if (!answer.parse(response_) || answer.empty()) {
      return fail(ctx, "Snap destroy failed. No snaps returned, response[" + tail);
    }
    const jsonxx::Array& items = answer.get<jsonxx::Array>("items");
    if (items.size() >= 2) {
      return fail(ctx, "Snap destruction failed. More than one snaps returned in response, "
                       "response[" + tail);
    }
    const jsonxx::Object& item = items.get<jsonxx::Object>(0);
    if (!item.has<jsonxx::Boolean>("destroyed")) {
      return fail(ctx, "Attribute destroyed not found in  snap destroy response[" + tail);
    }
    return item.get<jsonxx::Boolean>("destroyed");
  });
}

bool PureFlashBladeAPI::eradicateSnap(PS_SnapInfo& snap, bool&) {
  const char* ctx = "eradicateSnap";
  bool exists = false;
  if (!checkIfSnapExistsOrNot(snap, exists)) {
    return fail(ctx, "Error in calling checkIfSnapExistsOrNot for snap [" + snap.snapName +
                         "] of volume [" + snap.volName + "] on array [" + server_ + "]");
  }
  if (!exists) {
    fail(ctx, "Snap [" + snap.snapName + "] does not exist for volume [" + snap.volName +
                  "] on array [" + server_ + "]");
    return true;
  }
  resetForRequest();
  if (rest_->del(snapshotByName(snap.snapName), "", response_)) return true;
  if (response_.empty()) {
    log(1, ctx, "Eradicate Succeeded , empty response is accepted");
    return true;
  }
  return fail(ctx, "Error in eradicating snaps, response[" + response_ + "] from array [" +
                       server_ + "]");
}
