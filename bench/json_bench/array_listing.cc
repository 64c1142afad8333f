#include "array_listing.h"

#include <cstdint>
#include <cstdio>

namespace kxbench {
namespace {

// A fixed linear congruential sequence keyed by a seed.
class Sequence {
 public:
  explicit Sequence(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 1) {}
  std::uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 32);
  }

 private:
  std::uint64_t state_;
};

const char* const kPrefixes[] = {"vol", "oradb-data", "sql-log", "vmfs-ds", "exch"};

std::string volumeName(int i) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s-%05d", kPrefixes[i % 5], i);
  return buf;
}

std::string hex(std::uint32_t v, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out(static_cast<size_t>(digits), '0');
  for (int k = digits - 1; k >= 0; --k, v >>= 4) out[static_cast<size_t>(k)] = kHex[v & 0xF];
  return out;
}

}  // namespace

std::string volumeSerial(int i) {
  Sequence s(static_cast<std::uint64_t>(i));
  // An array prefix shared by every volume, then a per-volume part.
  return "4C1D2B7A" + hex(s.next(), 8) + hex(static_cast<std::uint32_t>(i), 8);
}

std::string volumeList(int count) {
  std::string out = "[";
  char buf[256];
  for (int i = 0; i < count; ++i) {
    Sequence s(static_cast<std::uint64_t>(i) + 7);
    const std::uint32_t r = s.next();
    const std::string source = r % 5 < 3 ? "null" : "\"" + volumeName(static_cast<int>(r % (i + 1))) + "\"";
    std::snprintf(buf, sizeof buf,
                  "%s{\"name\": \"%s\", \"created\": \"2026-%02u-%02uT%02u:%02u:%02uZ\", "
                  "\"source\": %s, \"serial\": \"%s\", \"size\": %llu}",
                  i == 0 ? "" : ", ", volumeName(i).c_str(), 1 + r % 12, 1 + (r >> 4) % 28,
                  (r >> 9) % 24, (r >> 14) % 60, (r >> 20) % 60, source.c_str(),
                  volumeSerial(i).c_str(), (1ULL + s.next() % 16384) * 1073741824ULL);
    out += buf;
  }
  out += "]";
  return out;
}

std::string hostList(int count) {
  std::string out = "[";
  char buf[160];
  for (int i = 0; i < count; ++i) {
    Sequence s(static_cast<std::uint64_t>(i) + 99);
    if (i != 0) out += ", ";
    std::snprintf(buf, sizeof buf, "{\"name\": \"esx-host-%04d\", \"wwn\": [", i);
    out += buf;
    const unsigned wwns = s.next() % 4;
    for (unsigned k = 0; k < wwns; ++k)
      out += (k ? ", \"" : "\"") + std::string("21000024FF") + hex(s.next(), 6) + "\"";
    out += "], \"iqn\": [";
    if (s.next() % 3 == 0) {
      std::snprintf(buf, sizeof buf, "\"iqn.1998-01.com.vmware:esx-host-%04d-%s\"", i,
                    hex(s.next(), 8).c_str());
      out += buf;
    }
    out += "], \"hgroup\": ";
    const std::uint32_t g = s.next() % 10;
    if (g < 2) {
      out += "null";
    } else {
      std::snprintf(buf, sizeof buf, "\"esx-cluster-%02u\"", g);
      out += buf;
    }
    out += "}";
  }
  out += "]";
  return out;
}

}  // namespace kxbench
