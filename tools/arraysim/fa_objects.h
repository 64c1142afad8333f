// FlashArray object views and lookups shared by the resource families.
// Callers hold the array's lock.
#ifndef ARRAYSIM_FA_OBJECTS_H_
#define ARRAYSIM_FA_OBJECTS_H_

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model.h"
#include "params.h"
#include "reply.h"

namespace arraysim {

// Destroyed objects are eradicated by the array after this many seconds.
constexpr int64_t kEradicationDelay = 86400;

// Texts clients recognise.
extern const char kVolumeMissing[];      // "Volume does not exist."
extern const char kNoSuchVolOrSnap[];    // "No such volume or snapshot."
extern const char kVolumeDestroyed[];    // "Volume has been destroyed."
extern const char kSnapDestroyed[];

nlohmann::json volumeJson(const Volume& v, bool pending);
nlohmann::json snapJson(const Snapshot& s, bool pending);

// Snapshots of a volume in creation order.
std::vector<const Snapshot*> snapsOf(const ArrayState& st, const std::string& volume);

// Removes the volume from every connection and protection group.
void forgetVolume(ArrayState& st, const std::string& volume);
void dropConnections(ArrayState& st, const std::string& volume);

// Erases a snapshot and its entry in an owning group snapshot.
void eraseSnapshot(ArrayState& st, const std::string& name);

// Creates the snapshot `source`.`suffix`-style record named `name`.
Snapshot& addSnapshot(ArrayState& st, const std::string& name, const Volume& source,
                      const std::string& suffix, const std::string& pgsnap);

// The "suffix" parameter, or the next one the array picks when none is
// given; false when it is no valid suffix.
bool snapSuffix(ArrayState& st, const Params& p, std::string* suffix);

// Name syntax of volumes, hosts and groups: letters, digits, '-', '_', with
// optional "POD::" or "ARRAY:" prefixes. Snapshots add ".suffix" parts.
bool validObjectName(const std::string& name);

}  // namespace arraysim

#endif  // ARRAYSIM_FA_OBJECTS_H_
