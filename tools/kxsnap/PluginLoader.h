// Loads the plug-in with dlopen and resolves every kxso_* entry point, as a
// backup host does. A missing symbol is an error naming it.
#ifndef KXSNAP_PLUGINLOADER_H
#define KXSNAP_PLUGINLOADER_H

#include <string>

#include "KXSOEntryPoints.h"

namespace kxsnap {

struct PluginApi {
  decltype(&kxso_version) version = nullptr;
  decltype(&kxso_isSupported) isSupported = nullptr;
  decltype(&kxso_prepareDevices) prepareDevices = nullptr;
  decltype(&kxso_processVPDInfo) processVPDInfo = nullptr;
  decltype(&kxso_unprepareDevices) unprepareDevices = nullptr;
  decltype(&kxso_prepareRemoteSnaps) prepareRemoteSnaps = nullptr;
  decltype(&kxso_createRemoteSnaps) createRemoteSnaps = nullptr;
  decltype(&kxso_preSnapDevices) preSnapDevices = nullptr;
  decltype(&kxso_snapDevices) snapDevices = nullptr;
  decltype(&kxso_postSnapDevices) postSnapDevices = nullptr;
  decltype(&kxso_isMapped) isMapped = nullptr;
  decltype(&kxso_unmapSnaps) unmapSnaps = nullptr;
  decltype(&kxso_mapSnaps) mapSnaps = nullptr;
  decltype(&kxso_deleteSnaps) deleteSnaps = nullptr;
  decltype(&kxso_revertSnaps) revertSnaps = nullptr;
  decltype(&kxso_reconcileSnaps) reconcileSnaps = nullptr;
  decltype(&kxso_execSnapEngineOp) execSnapEngineOp = nullptr;
  decltype(&kxso_identifyDevices) identifyDevices = nullptr;
};

class PluginLoader {
 public:
  PluginLoader() = default;
  ~PluginLoader();
  PluginLoader(const PluginLoader&) = delete;
  PluginLoader& operator=(const PluginLoader&) = delete;

  // false with error() set when the library or any entry point is missing.
  bool load(const std::string& path);
  const PluginApi& api() const { return api_; }
  const std::string& error() const { return error_; }

 private:
  void* handle_ = nullptr;
  PluginApi api_;
  std::string error_;
};

// The plug-in built beside this program.
std::string defaultPluginPath();

}  // namespace kxsnap

#endif  // KXSNAP_PLUGINLOADER_H
