// The backup host kxsnap plays for one job: the in-memory host model set up
// from the job file and its state file, with the registered arrays, the
// job's records, the simulated SAN and the remote proxies.
#ifndef KXSNAP_HOST_H
#define KXSNAP_HOST_H

#include <memory>
#include <string>
#include <vector>

#include "JobFile.h"
#include "JobState.h"
#include "ModelOSUtil.h"

namespace kxsnap {

class San;

class Host : public kxhost::ModelOSUtil {
 public:
  Host();
  ~Host() override;

  // Registers the job's arrays (and those of its simulator), makes the
  // records from the state (or, the first time, from the job's devices) and
  // applies the job's options to every record. proxyName selects the
  // registrations of that proxy instead of the job's own.
  bool setUp(const Job& job, const JobState& state, const std::string& proxyName,
             std::string* error);

  // The CA file of the job's simulator ("" when none).
  const std::string& caFile() const { return caFile_; }
  const Job& job() const { return job_; }
  San* san() { return san_.get(); }

  // The records' state and the SAN names, for the state file.
  JobState snapshotState() const;
  // Writes every record's log lines to the host log and forgets them.
  void flushRecordLogs();

 protected:
  std::unique_ptr<kxhost::ModelSnapInfo> newRecord() override;

 private:
  bool registerArrays(const std::vector<JobArray>& arrays);
  void applyJobOptions(kxhost::RecordState* record) const;
  int bind(const std::string& identity);

  Job job_;
  std::string caFile_;
  std::unique_ptr<San> san_;
};

}  // namespace kxsnap

#endif  // KXSNAP_HOST_H
