// A small REST client for the simulated arrays, for what a storage admin
// does by hand: connecting a volume to a host.
#ifndef KXSNAP_SIMCLIENT_H
#define KXSNAP_SIMCLIENT_H

#include <string>

#include "Simulator.h"

namespace kxsnap {

// Percent-encodes every byte but letters, digits and "-_.:~".
std::string percentEncode(const std::string& text);

// Logs in with the array's first user, connects the volume to the host
// (POST host/HOST/volume/VOLUME) and logs out.
bool connectVolumeToHost(const SimArray& array, const std::string& caFile,
                         const std::string& host, const std::string& volume, std::string* error);
// The same with DELETE: takes the volume away from the host again.
bool disconnectVolumeFromHost(const SimArray& array, const std::string& caFile,
                              const std::string& host, const std::string& volume,
                              std::string* error);

}  // namespace kxsnap

#endif  // KXSNAP_SIMCLIENT_H
