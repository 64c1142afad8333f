// The scenario file: the arrays a simulator process serves and their
// initial objects (format in README.md).
#ifndef ARRAYSIM_SCENARIO_H_
#define ARRAYSIM_SCENARIO_H_

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model.h"

namespace arraysim {

// The embedded demo: two FlashArrays replicating to each other with a
// stretched pod, one FlashBlade.
const nlohmann::json& defaultScenario();

// Builds the initial state of every array. Pod volumes are placed on every
// member array of the process with the same serial, and a protection group
// with targets appears on each target as "SOURCE:GROUP". Throws
// std::invalid_argument with a readable reason on a malformed scenario.
std::vector<ArrayState> loadScenario(const nlohmann::json& scenario);

}  // namespace arraysim

#endif  // ARRAYSIM_SCENARIO_H_
