// One job step: set the host up from the job and its state file, call the
// plug-in's entry point, persist the records again.
#ifndef KXSNAP_STEPS_H
#define KXSNAP_STEPS_H

#include <string>
#include <vector>

#include "PluginLoader.h"
#include "Report.h"
#include "San.h"

namespace kxsnap {

struct RunOptions {
  std::string self;        // this program, for proxy children
  std::string pluginPath;
  std::string logFile;     // "" = JOB.log next to the job file
  int identifyMode = 1;
};

// The steps `run` accepts, in lifecycle order first.
const std::vector<std::string>& lifecycleSteps();
bool isKnownStep(const std::string& step);

// Runs the step; *report holds the records afterwards. Returns false when
// the host itself could not run it (bad job, simulator unreachable), with
// *error set; the entry point's result is report->result otherwise.
bool runStep(const PluginApi& api, const RunOptions& options, const std::string& jobFile,
             const std::string& step, const std::vector<std::string>& args, StepReport* report,
             std::string* error);

// The simulated devices the job's host sees now.
bool listDevices(const std::string& jobFile, std::vector<SanDevice>* devices, std::string* error);
// Renames a simulated device in the job state, as when an OS renumbers it.
bool renumberDevice(const std::string& jobFile, const std::string& from, const std::string& to,
                    std::string* error);

// The records as they stand in the job's state file.
bool showJob(const std::string& jobFile, StepReport* report, std::string* error);

}  // namespace kxsnap

#endif  // KXSNAP_STEPS_H
