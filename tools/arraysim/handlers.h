// The REST resource families. Each handler gets one authenticated call with
// its resource path split into segments (already percent-decoded) and its
// merged parameters, takes the array's lock itself, and answers a Reply.
#ifndef ARRAYSIM_HANDLERS_H_
#define ARRAYSIM_HANDLERS_H_

#include <string>
#include <vector>

#include "params.h"
#include "reply.h"
#include "sim_array.h"

namespace arraysim {

struct Call {
  SimArray& arr;
  Fleet& fleet;
  std::string method;
  std::vector<std::string> seg;  // e.g. {"volume", "db01", "host"}
  Params params;
};

// FlashArray, REST 1.x
Reply faVolume(Call& c);   // volume, volume/V, volume/V/host, volume/V/hgroup
Reply faHost(Call& c);     // host, host/H, host/H/volume[/V]
Reply faHgroup(Call& c);   // hgroup, hgroup/G, hgroup/G/volume[/V]
Reply faPgroup(Call& c);   // pgroup, pgroup/G
Reply faArray(Call& c);    // array
Reply faPort(Call& c);     // port
Reply faPod(Call& c);      // pod, pod/P

// FlashBlade, REST 1.5
Reply fbFileSystems(Call& c);
Reply fbFsSnapshots(Call& c);
Reply fbNetworkInterfaces(Call& c);

}  // namespace arraysim

#endif  // ARRAYSIM_HANDLERS_H_
