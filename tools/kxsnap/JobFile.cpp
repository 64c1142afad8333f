#include "JobFile.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "Simulator.h"

namespace kxsnap {
namespace {

using nlohmann::json;

uint64_t readFlags(const json& j) {
  if (j.is_string()) return std::stoull(j.get<std::string>(), nullptr, 0);
  return j.get<uint64_t>();
}

std::vector<std::string> readStrings(const json& j, const char* key) {
  std::vector<std::string> out;
  if (j.contains(key)) out = j.at(key).get<std::vector<std::string>>();
  return out;
}

JobArray readArray(const json& j) {
  JobArray a;
  a.name = j.at("name").get<std::string>();
  a.hostId = j.value("hostid", -1);
  a.address = j.at("arrayId").get<std::string>();
  a.user = j.value("hostUserName", std::string());
  a.token = j.value("hostPassword", std::string());
  a.engineName = j.value("engineName", a.engineName);
  a.kind = j.value("kind", std::string());
  a.aliases = readStrings(j, "aliases");
  if (j.contains("config")) a.config = j.at("config").get<std::map<std::string, std::string>>();
  return a;
}

JobDevice readDevice(const json& j) {
  JobDevice d;
  d.source = j.value("source", std::string());
  if (j.contains("volume")) {
    d.volumeArray = j.at("volume").at("array").get<std::string>();
    d.volume = j.at("volume").at("name").get<std::string>();
  }
  if (j.contains("device_flags")) d.deviceFlags = readFlags(j.at("device_flags"));
  d.clientType = j.value("client_type", 0);
  d.hostIdentifier = j.value("host_identifier", std::string());
  return d;
}

void readOptions(const json& j, Job* job) {
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (it->is_number_integer()) job->optionInts[it.key()] = it->get<int>();
    else if (it->is_boolean()) job->optionInts[it.key()] = it->get<bool>() ? 1 : 0;
    else job->optionStrings[it.key()] = it->get<std::string>();
  }
}

void readJob(const json& j, Job* job) {
  job->simulator = j.value("simulator", std::string());
  for (const auto& a : j.value("arrays", json::array())) job->arrays.push_back(readArray(a));
  if (j.contains("options")) readOptions(j.at("options"), job);
  if (j.contains("registry")) job->registry = j.at("registry").get<std::map<std::string, int>>();
  if (j.contains("job_flags")) job->jobFlags = readFlags(j.at("job_flags"));
  if (j.contains("values")) {
    for (auto it = j.at("values").begin(); it != j.at("values").end(); ++it)
      job->values[std::stoi(it.key())] = it->get<int>();
  }
  job->operationId = j.value("operation_id", job->operationId);
  job->mountId = j.value("mount_id", job->mountId);
  if (j.contains("host")) {
    const json& h = j.at("host");
    job->hostName = h.value("name", job->hostName);
    job->initiators.fc = readStrings(h, "fc");
    job->initiators.iscsi = readStrings(h, "iscsi");
  }
  for (const auto& d : j.value("devices", json::array())) job->devices.push_back(readDevice(d));
  for (const auto& p : j.value("proxies", json::array())) {
    JobProxy proxy;
    proxy.name = p.at("name").get<std::string>();
    proxy.simulator = p.value("simulator", std::string());
    for (const auto& a : p.value("arrays", json::array())) proxy.arrays.push_back(readArray(a));
    job->proxies.push_back(std::move(proxy));
  }
}

}  // namespace

std::string jobPath(const Job& job, const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  return job.folder + "/" + path;
}

bool readJobFile(const std::string& path, Job* job, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read job file " + path;
    return false;
  }
  try {
    json j = json::parse(in, nullptr, true, /*ignore_comments=*/true);
    Job result;
    result.path = path;
    size_t slash = path.rfind('/');
    result.folder = slash == std::string::npos ? "." : path.substr(0, slash);
    readJob(j, &result);
    *job = std::move(result);
    return true;
  } catch (const std::exception& e) {
    *error = "job file " + path + " is not valid: " + e.what();
    return false;
  }
}

bool addSimulatorArrays(const std::string& arraysFile, std::vector<JobArray>* arrays,
                        std::string* caFile, std::string* error) {
  SimArrays sim;
  if (!readArraysFile(arraysFile, &sim, error)) return false;
  int next = 1;
  for (const JobArray& a : *arrays) next = std::max(next, a.hostId + 1);
  for (const SimArray& s : sim.arrays) {
    JobArray a;
    a.name = s.name;
    a.hostId = next++;
    a.address = s.address;
    a.kind = s.kind;
    if (!s.users.empty()) {
      a.user = s.users.front().name;
      a.token = s.users.front().apiToken;
    }
    a.engineName = s.kind == "flashblade" ? "Pure Storage FlashBlade" : "Pure Storage FlashArray";
    arrays->push_back(std::move(a));
  }
  if (caFile != nullptr) *caFile = sim.caFile;
  return true;
}

namespace {
// Array-info values are read with backslash escapes resolved, so a
// backslash is doubled. (A value ends at the next ",", escaped or not; only
// the password may hold commas, since it ends at ",engineName:".)
std::string escapeInfoValue(const std::string& v) {
  std::string out;
  for (char c : v) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}
}  // namespace

std::string arrayInfoString(const JobArray& a) {
  return "{hostid:" + std::to_string(a.hostId) + ",arrayId:" + escapeInfoValue(a.address) +
         ",hostUserName:" + escapeInfoValue(a.user) + ",hostPassword:" + escapeInfoValue(a.token) +
         ",engineName:" + escapeInfoValue(a.engineName) + "}";
}

}  // namespace kxsnap
