#include "JobState.h"

#include <cstdio>
#include <fstream>

namespace kxsnap {
namespace {

using nlohmann::json;

std::string toHex(const std::vector<unsigned char>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::vector<unsigned char> fromHex(const std::string& text) {
  std::vector<unsigned char> out;
  for (size_t i = 0; i + 1 < text.size(); i += 2)
    out.push_back(static_cast<unsigned char>(std::stoi(text.substr(i, 2), nullptr, 16)));
  return out;
}

}  // namespace

std::string stateFilePath(const std::string& jobPath) { return jobPath + ".state.json"; }

json recordToJson(const kxhost::RecordState& r) {
  json metadata = json::object();
  for (const auto& [type, text] : r.metadata) metadata[std::to_string(type)] = text;
  json inquiry = json::object();
  for (const auto& [page, bytes] : r.inquiry) inquiry[std::to_string(page)] = toHex(bytes);
  return json{{"source", r.sourceDeviceName},
              {"snap_uuid", r.snapUUID},
              {"snap_device", r.snapDeviceName},
              {"array_identity", r.arrayIdentity},
              {"array_id", r.arrayId},
              {"host_identifier", r.hostIdentifier},
              {"status", r.status},
              {"error_code", r.errorCode},
              {"error_message", r.errorMessage},
              {"metadata", metadata},
              {"device_flags", r.deviceFlags},
              {"client_type", r.sourceClientType},
              {"inquiry", inquiry},
              {"identify_result", r.identifyResult},
              {"reference_snap_uuid", r.referenceSnapUUID},
              {"array_name", r.arrayName},
              {"volume_serial", r.volumeSerial},
              {"volume_name", r.volumeName}};
}

void recordFromJson(const json& j, kxhost::RecordState* r) {
  r->sourceDeviceName = j.value("source", std::string());
  r->snapUUID = j.value("snap_uuid", std::string());
  r->snapDeviceName = j.value("snap_device", std::string());
  r->arrayIdentity = j.value("array_identity", std::string());
  r->arrayId = j.value("array_id", -1);
  r->hostIdentifier = j.value("host_identifier", std::string());
  r->status = j.value("status", 0);
  r->errorCode = j.value("error_code", 0);
  r->errorMessage = j.value("error_message", std::string());
  r->metadata.clear();
  const json metadata = j.value("metadata", json::object());
  for (const auto& [type, text] : metadata.items()) r->metadata[std::stoi(type)] = text.get<std::string>();
  r->deviceFlags = j.value("device_flags", uint64_t{0});
  r->sourceClientType = j.value("client_type", 0);
  r->inquiry.clear();
  const json inquiry = j.value("inquiry", json::object());
  for (const auto& [page, hex] : inquiry.items()) r->inquiry[std::stoi(page)] = fromHex(hex.get<std::string>());
  r->identifyResult = j.value("identify_result", 0);
  r->referenceSnapUUID = j.value("reference_snap_uuid", std::string());
  r->arrayName = j.value("array_name", std::string());
  r->volumeSerial = j.value("volume_serial", std::string());
  r->volumeName = j.value("volume_name", std::string());
}

bool loadJobState(const std::string& path, JobState* state, std::string* error) {
  std::ifstream in(path);
  if (!in) return false;
  try {
    json j = json::parse(in);
    JobState s;
    for (const auto& r : j.at("records")) {
      kxhost::RecordState record;
      recordFromJson(r, &record);
      s.records.push_back(std::move(record));
    }
    s.deviceNames = j.value("device_names", std::map<std::string, std::string>());
    s.nextDevice = j.value("next_device", 0);
    s.arrayAliases =
        j.value("array_aliases", std::map<std::string, std::vector<std::string>>());
    *state = std::move(s);
    return true;
  } catch (const std::exception& e) {
    *error = "job state file " + path + " is not valid: " + e.what();
    return false;
  }
}

bool saveJobState(const std::string& path, const JobState& state, std::string* error) {
  json records = json::array();
  for (const auto& r : state.records) records.push_back(recordToJson(r));
  json j{{"records", records}, {"device_names", state.deviceNames}, {"next_device", state.nextDevice},
         {"array_aliases", state.arrayAliases}};
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::trunc);
    out << j.dump(2) << "\n";
    if (!out) {
      *error = "cannot write " + tmp;
      return false;
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    *error = "cannot replace " + path;
    return false;
  }
  return true;
}

}  // namespace kxsnap
