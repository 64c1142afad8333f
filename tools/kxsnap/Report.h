// What kxsnap prints for a step: a readable table, or JSON for machines.
#ifndef KXSNAP_REPORT_H
#define KXSNAP_REPORT_H

#include <cstdio>
#include <string>
#include <vector>

#include "HostModelState.h"

namespace kxsnap {

struct StepReport {
  std::string step;
  std::string entryPoint;
  int result = 1;
  std::string note;  // e.g. the mismatch count of identify, an issupported text
  std::vector<kxhost::RecordState> records;
};

// "SNAP_CREATED" for 5 and so on; the number itself when unknown.
std::string statusName(int status);

void printTable(FILE* out, const StepReport& report);
std::string reportJson(const StepReport& report);

}  // namespace kxsnap

#endif  // KXSNAP_REPORT_H
