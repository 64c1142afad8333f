// Presents a simulated volume to the plug-in as a virtual LUN of the
// platform's device tree (shared with the plug-in through libkxplatform).
#ifndef KXSNAP_VIRTUALLUN_H
#define KXSNAP_VIRTUALLUN_H

#include <string>

namespace kxsnap {

void registerVirtualLun(const std::string& device, const std::string& serial,
                        const std::string& port, bool iscsi, const std::string& volume);
void unregisterVirtualLun(const std::string& device);

}  // namespace kxsnap

#endif  // KXSNAP_VIRTUALLUN_H
