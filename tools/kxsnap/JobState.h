// The job state file: what the host persists with a job between steps (the
// records as the plug-in left them, and the names it gave simulated
// devices). It lives next to the job file as JOB.state.json.
#ifndef KXSNAP_JOBSTATE_H
#define KXSNAP_JOBSTATE_H

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "HostModelState.h"

namespace kxsnap {

struct JobState {
  std::vector<kxhost::RecordState> records;
  // Simulated device names by "ARRAY/VOLUME-SERIAL", stable across steps.
  std::map<std::string, std::string> deviceNames;
  int nextDevice = 0;
  // Aliases the host learned from array identities, by array name.
  std::map<std::string, std::vector<std::string>> arrayAliases;
};

std::string stateFilePath(const std::string& jobPath);

// false when there is no state file yet (*state untouched); a broken file
// is an error.
bool loadJobState(const std::string& path, JobState* state, std::string* error);
bool saveJobState(const std::string& path, const JobState& state, std::string* error);

// The persisted part of a record, as JSON (also the proxy's wire form).
nlohmann::json recordToJson(const kxhost::RecordState& r);
void recordFromJson(const nlohmann::json& j, kxhost::RecordState* r);

}  // namespace kxsnap

#endif  // KXSNAP_JOBSTATE_H
