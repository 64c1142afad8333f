// The job file: what a backup host knows about one job before it calls the
// plug-in. JSON with // comments; see README.md beside this file.
#ifndef KXSNAP_JOBFILE_H
#define KXSNAP_JOBFILE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kxsnap {

// An array registered with the host.
struct JobArray {
  std::string name;
  int hostId = -1;
  std::string address;  // the array-info "arrayId": what the plug-in connects to
  std::string user;
  std::string token;    // the array-info "hostPassword"
  std::string engineName = "Pure Storage FlashArray";
  std::string kind;     // "flasharray" / "flashblade" (informational)
  std::vector<std::string> aliases;
  std::map<std::string, std::string> config;  // getArrayConfigString per key
};

// A machine's initiators.
struct JobInitiators {
  std::vector<std::string> fc;
  std::vector<std::string> iscsi;
};

struct JobDevice {
  std::string source;         // source-device string; empty: taken from "volume"
  std::string volumeArray;    // with volume: a simulated volume seen by the client
  std::string volume;
  uint64_t deviceFlags = 0;
  int clientType = 0;
  std::string hostIdentifier; // e.g. an ESX server identity for VMware sources
};

struct JobProxy {
  std::string name;
  std::vector<JobArray> arrays;
  std::string simulator;      // arrays.json the proxy registers
};

struct Job {
  std::string path;           // the job file
  std::string folder;         // its folder; relative paths are taken from here
  std::string simulator;      // arrays.json: registers every simulated array
  std::vector<JobArray> arrays;
  std::map<std::string, int> optionInts;          // SMCONFIG_* integers
  std::map<std::string, std::string> optionStrings;
  std::map<std::string, int> registry;            // "SECTION/NAME" -> value
  uint64_t jobFlags = 0;
  std::map<int, int> values;                      // getValue ids
  uint64_t operationId = 1;
  int mountId = 1;
  std::string hostName = "kxsnap-host";           // the machine kxsnap plays
  JobInitiators initiators;                       // its initiators (client and mount host)
  std::vector<JobDevice> devices;
  std::vector<JobProxy> proxies;
};

// Reads a job file; false with *error set on a missing or malformed file.
bool readJobFile(const std::string& path, Job* job, std::string* error);

// Resolves a path given in the job against the job's folder.
std::string jobPath(const Job& job, const std::string& path);

// Adds the arrays of an arrays.json (first user of each) to *arrays,
// numbering host ids after the highest one present.
bool addSimulatorArrays(const std::string& arraysFile, std::vector<JobArray>* arrays,
                        std::string* caFile, std::string* error);

// The array-info string the host stores for an array.
std::string arrayInfoString(const JobArray& array);

}  // namespace kxsnap

#endif  // KXSNAP_JOBFILE_H
