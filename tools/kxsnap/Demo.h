// `kxsnap demo`: a whole snapshot lifecycle against a freshly started
// simulator, with a summary of what each step did.
#ifndef KXSNAP_DEMO_H
#define KXSNAP_DEMO_H

#include "Steps.h"

namespace kxsnap {

// Returns 0 when every step succeeded, else the first failed step's result.
int runDemo(const PluginApi& api, const RunOptions& options, bool json);

// Prints one step's report, as a table or as one JSON line.
void printReport(const StepReport& report, bool json);

}  // namespace kxsnap

#endif  // KXSNAP_DEMO_H
