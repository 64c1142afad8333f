// The simulated SAN as the host sees it. The SAN's state lives in the
// simulator: every refresh asks each FlashArray's fabric view which volumes
// the host's initiators see, and presents each as a virtual LUN under a
// device name that stays the same from step to step.
#ifndef KXSNAP_SAN_H
#define KXSNAP_SAN_H

#include <map>
#include <string>
#include <vector>

#include "JobFile.h"
#include "JobState.h"

namespace kxsnap {

struct SanDevice {
  std::string name;    // OS device name
  std::string array;   // array name
  std::string volume;
  std::string serial;  // 24 hex characters
  std::string port;    // array port: 16 hex digits (FC) or an IQN
  bool iscsi = false;
  int lun = 0;
};

class San {
 public:
  // arrays: the host's registered arrays (FlashArrays are asked);
  // names: the device names kept in the job state.
  San(std::vector<JobArray> arrays, std::string caFile, JobInitiators initiators,
      std::map<std::string, std::string> names, int nextDevice);
  ~San();

  // Drops the devices of removeNames, then asks the fabric again: devices
  // that appeared are presented, those that vanished are removed.
  bool refresh(const std::vector<std::string>& removeNames, std::string* error);

  const std::vector<SanDevice>& devices() const { return devices_; }
  std::vector<std::string> deviceNames() const;
  const SanDevice* find(const std::string& name) const;
  // The name the device of that array volume has, "" when none is visible.
  std::string nameOf(const std::string& array, const std::string& volume) const;

  // Gives a visible device another name (as when an OS renumbers it).
  bool renumber(const std::string& from, const std::string& to);

  const std::map<std::string, std::string>& names() const { return names_; }
  int nextDevice() const { return nextDevice_; }

 private:
  bool query(const JobArray& array, std::vector<SanDevice>* out, std::string* error) const;
  std::string nameFor(const SanDevice& device);
  void present(const SanDevice& device);
  void withdraw(const SanDevice& device);

  std::vector<JobArray> arrays_;
  std::string caFile_;
  JobInitiators initiators_;
  std::map<std::string, std::string> names_;  // "ARRAY/SERIAL" -> device name
  int nextDevice_;
  std::vector<SanDevice> devices_;
};

}  // namespace kxsnap

#endif  // KXSNAP_SAN_H
