#include "Report.h"

#include <nlohmann/json.hpp>

#include "JobState.h"
#include "KXSOCodes.h"

namespace kxsnap {

std::string statusName(int status) {
  switch (status) {
    case KXSO::STATUS_METADATA_UNREADABLE: return "METADATA_UNREADABLE";
    case 0: return "-";
    case KXSO::DEVICE_PREPARED: return "DEVICE_PREPARED";
    case KXSO::PREPARE_FAILED: return "PREPARE_FAILED";
    case KXSO::SNAP_CREATED: return "SNAP_CREATED";
    case KXSO::SNAP_FAILED: return "SNAP_FAILED";
    case KXSO::SNAP_MAPPED_ON_ARRAY: return "SNAP_MAPPED_ON_ARRAY";
    case KXSO::MAP_FAILED: return "MAP_FAILED";
    case KXSO::DEVICE_FOUND: return "DEVICE_FOUND";
    case KXSO::UNMAPPED: return "UNMAPPED";
    case KXSO::DEVICE_ERROR: return "DEVICE_ERROR";
    case KXSO::SNAP_DELETED: return "SNAP_DELETED";
    case KXSO::DELETE_FAILED: return "DELETE_FAILED";
    case KXSO::VOLUME_REVERTED: return "VOLUME_REVERTED";
    case KXSO::REVERT_FAILED: return "REVERT_FAILED";
    case KXSO::SNAP_EXTERNALLY_DELETED: return "SNAP_EXTERNALLY_DELETED";
    default: return std::to_string(status);
  }
}

void printTable(FILE* out, const StepReport& r) {
  std::fprintf(out, "step %s (%s): result %d%s%s\n", r.step.c_str(), r.entryPoint.c_str(),
               r.result, r.note.empty() ? "" : " - ", r.note.c_str());
  if (r.records.empty()) return;
  std::fprintf(out, "  %-3s %-22s %-24s %-7s %s\n", "#", "device", "status", "error", "snapshot");
  for (size_t i = 0; i < r.records.size(); ++i) {
    const kxhost::RecordState& s = r.records[i];
    std::fprintf(out, "  %-3zu %-22s %-24s %-7d %s\n", i, s.sourceDeviceName.c_str(),
                 (statusName(s.status) + "(" + std::to_string(s.status) + ")").c_str(),
                 s.errorCode, s.snapUUID.c_str());
    if (!s.errorMessage.empty()) std::fprintf(out, "      error: %s\n", s.errorMessage.c_str());
    if (!s.snapDeviceName.empty())
      std::fprintf(out, "      snapshot device: %s\n", s.snapDeviceName.c_str());
    for (const auto& [type, text] : s.metadata)
      std::fprintf(out, "      metadata %d: %s\n", type, text.c_str());
  }
}

std::string reportJson(const StepReport& r) {
  nlohmann::json records = nlohmann::json::array();
  for (const auto& s : r.records) {
    nlohmann::json j = recordToJson(s);
    j["status_name"] = statusName(s.status);
    records.push_back(std::move(j));
  }
  nlohmann::json j{{"step", r.step}, {"entry_point", r.entryPoint}, {"result", r.result},
                   {"note", r.note}, {"records", records}};
  return j.dump();
}

}  // namespace kxsnap
