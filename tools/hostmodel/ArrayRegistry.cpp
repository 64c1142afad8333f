#include "ArrayRegistry.h"

#include <algorithm>

namespace kxhost {

int ArrayRegistry::add(ArrayEntry entry) {
  ArrayEntry* existing = nullptr;
  for (ArrayEntry& a : arrays) {
    if (a.name == entry.name) existing = &a;
  }
  if (entry.id < 0) {
    if (existing != nullptr) {
      entry.id = existing->id;
    } else {
      int next = 1;
      for (const ArrayEntry& a : arrays) next = std::max(next, a.id + 1);
      entry.id = next;
    }
  }
  if (existing != nullptr) {
    *existing = std::move(entry);
    return existing->id;
  }
  arrays.push_back(std::move(entry));
  return arrays.back().id;
}

const ArrayEntry* ArrayRegistry::byId(int id) const {
  for (const ArrayEntry& a : arrays) {
    if (a.id == id) return &a;
  }
  return nullptr;
}

const ArrayEntry* ArrayRegistry::find(const std::string& nameOrAlias) const {
  if (nameOrAlias.empty()) return nullptr;
  for (const ArrayEntry& a : arrays) {
    if (a.name == nameOrAlias) return &a;
  }
  for (const ArrayEntry& a : arrays) {
    if (std::find(a.aliases.begin(), a.aliases.end(), nameOrAlias) != a.aliases.end()) return &a;
  }
  return nullptr;
}

ArrayEntry* ArrayRegistry::byId(int id) {
  return const_cast<ArrayEntry*>(static_cast<const ArrayRegistry*>(this)->byId(id));
}

ArrayEntry* ArrayRegistry::find(const std::string& nameOrAlias) {
  return const_cast<ArrayEntry*>(static_cast<const ArrayRegistry*>(this)->find(nameOrAlias));
}

int ArrayRegistry::resolve(const std::string& identity) const {
  size_t start = 0;
  while (start <= identity.size()) {
    size_t bar = identity.find('|', start);
    if (bar == std::string::npos) bar = identity.size();
    if (const ArrayEntry* a = find(identity.substr(start, bar - start))) return a->id;
    start = bar + 1;
  }
  return -1;
}

}  // namespace kxhost
