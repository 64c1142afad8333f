// The arrays registered in the host database. Records bind to an array
// through it (setArrayIdentity) and the OS-utility service lists them.
#ifndef KXHOST_ARRAYREGISTRY_H
#define KXHOST_ARRAYREGISTRY_H

#include <string>
#include <vector>

#include "HostModelState.h"

namespace kxhost {

class ArrayRegistry {
 public:
  // Registers the array; a negative id is replaced by the next free one
  // (ids start at 1). Returns the array's id. A name registered again
  // replaces the earlier entry (keeping its id unless one is given).
  int add(ArrayEntry entry);

  // The array of that id, its name or one of its aliases; null if none.
  const ArrayEntry* byId(int id) const;
  const ArrayEntry* find(const std::string& nameOrAlias) const;
  ArrayEntry* byId(int id);
  ArrayEntry* find(const std::string& nameOrAlias);

  // The id of the array an identity names ("name" or "name|id|..."): the
  // first '|'-separated field that is a registered name or alias wins.
  // -1 when none is.
  int resolve(const std::string& identity) const;

  std::vector<ArrayEntry> arrays;
};

}  // namespace kxhost

#endif  // KXHOST_ARRAYREGISTRY_H
