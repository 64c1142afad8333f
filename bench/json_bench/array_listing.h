// Deterministic FlashArray-style listings for the JSON benchmarks.
#ifndef KX_BENCH_ARRAY_LISTING_H_
#define KX_BENCH_ARRAY_LISTING_H_

#include <string>

namespace kxbench {

// A volume list as the array answers it: an array of objects with "name",
// "created", "source" (null or a name), "serial" (24 upper-case hex
// characters) and "size". Same text for the same count.
std::string volumeList(int count);

// The serial of volume i of volumeList(count).
std::string volumeSerial(int i);

// A host list: objects with "name", "wwn" and "iqn" lists and "hgroup".
std::string hostList(int count);

}  // namespace kxbench

#endif  // KX_BENCH_ARRAY_LISTING_H_
