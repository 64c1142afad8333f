#include "Host.h"

#include <algorithm>

#include "HostLog.h"
#include "San.h"

namespace kxsnap {
namespace {

std::vector<std::string> splitBars(const std::string& identity) {
  std::vector<std::string> out;
  size_t start = 0;
  while (true) {
    size_t bar = identity.find('|', start);
    out.push_back(identity.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return out;
}

}  // namespace

Host::Host() = default;
Host::~Host() = default;

std::unique_ptr<kxhost::ModelSnapInfo> Host::newRecord() {
  auto record = std::make_unique<kxhost::ModelSnapInfo>(&arrays());
  record->setBinder([this](kxhost::ModelSnapInfo&, const std::string& identity) {
    return bind(identity);
  });
  return record;
}

// The first field names the array (its name, address or an alias); the
// further fields are kept as aliases for later binds.
int Host::bind(const std::string& identity) {
  std::vector<std::string> fields = splitBars(identity);
  kxhost::ArrayEntry* array = arrays().find(fields.front());
  if (array == nullptr) return -1;
  for (size_t i = 1; i < fields.size(); ++i) {
    const std::string& alias = fields[i];
    if (alias.empty() || alias == array->name) continue;
    if (std::find(array->aliases.begin(), array->aliases.end(), alias) == array->aliases.end())
      array->aliases.push_back(alias);
  }
  return array->id;
}

bool Host::registerArrays(const std::vector<JobArray>& list) {
  for (const JobArray& a : list) {
    kxhost::ArrayEntry entry;
    entry.id = a.hostId;
    entry.name = a.name;
    entry.info = arrayInfoString(a);
    entry.aliases = a.aliases;
    if (a.address != a.name) entry.aliases.push_back(a.address);
    entry.config = a.config;
    addArray(std::move(entry));
  }
  return true;
}

void Host::applyJobOptions(kxhost::RecordState* r) const {
  r->configInts = job_.optionInts;
  r->configStrings = job_.optionStrings;
  r->values = job_.values;
  r->jobFlags = job_.jobFlags;
  r->mountId = job_.mountId;
}

bool Host::setUp(const Job& job, const JobState& saved, const std::string& proxyName,
                 std::string* error) {
  job_ = job;
  std::vector<JobArray> list = job.arrays;
  std::string simulator = job.simulator;
  if (!proxyName.empty()) {
    auto it = std::find_if(job.proxies.begin(), job.proxies.end(),
                           [&](const JobProxy& p) { return p.name == proxyName; });
    if (it == job.proxies.end()) {
      *error = "the job has no proxy " + proxyName;
      return false;
    }
    list = it->arrays;
    simulator = it->simulator;
  }
  if (!simulator.empty() &&
      !addSimulatorArrays(jobPath(job, simulator), &list, &caFile_, error))
    return false;
  registerArrays(list);
  for (const auto& [name, aliases] : saved.arrayAliases)
    if (kxhost::ArrayEntry* a = arrays().find(name))
      for (const std::string& alias : aliases)
        if (std::find(a->aliases.begin(), a->aliases.end(), alias) == a->aliases.end())
          a->aliases.push_back(alias);
  state().operationId = job.operationId;
  state().hbasByHost[""].clear();
  for (const std::string& fc : job.initiators.fc) state().hbasByHost[""].push_back({fc, false});
  for (const std::string& iq : job.initiators.iscsi) state().hbasByHost[""].push_back({iq, true});

  san_ = std::make_unique<San>(list, caFile_, job.initiators, saved.deviceNames, saved.nextDevice);
  if (proxyName.empty() && !caFile_.empty() && !san_->refresh({}, error)) return false;

  if (!saved.records.empty()) {
    for (const kxhost::RecordState& record : saved.records) {
      kxhost::ModelSnapInfo& r = addRecord();
      r.state() = record;
      applyJobOptions(&r.state());
    }
    return true;
  }
  for (const JobDevice& d : job.devices) {
    kxhost::ModelSnapInfo& r = addRecord();
    r.state().sourceDeviceName = d.source;
    if (d.source.empty()) r.state().sourceDeviceName = san_->nameOf(d.volumeArray, d.volume);
    if (r.state().sourceDeviceName.empty()) {
      *error = "volume " + d.volumeArray + "/" + d.volume + " is not visible to the host";
      return false;
    }
    r.state().deviceFlags = d.deviceFlags;
    r.state().sourceClientType = d.clientType;
    r.state().hostIdentifier = d.hostIdentifier;
    applyJobOptions(&r.state());
  }
  return true;
}

JobState Host::snapshotState() const {
  JobState s;
  for (const kxhost::ModelSnapInfo* r : jobRecords()) {
    kxhost::RecordState copy = r->state();
    copy.log.clear();
    s.records.push_back(std::move(copy));
  }
  for (const kxhost::ArrayEntry& a : sharedArrays()->arrays) s.arrayAliases[a.name] = a.aliases;
  if (san_) {
    s.deviceNames = san_->names();
    s.nextDevice = san_->nextDevice();
  }
  return s;
}

void Host::flushRecordLogs() {
  HostLog log("kxsnap.record");
  const auto& records = jobRecords();
  for (size_t i = 0; i < records.size(); ++i) {
    for (const kxhost::LogLine& line : records[i]->state().log) {
      std::string context = "record " + std::to_string(i);
      if (!line.context.empty()) context += " " + line.context;
      log.write(context.c_str(), line.level, line.text.c_str());
    }
    records[i]->state().log.clear();
  }
}

}  // namespace kxsnap
