#include "PluginLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace kxsnap {

namespace {
template <typename Fn>
bool resolve(void* handle, const char* name, Fn* out, std::string* error) {
  dlerror();
  void* sym = dlsym(handle, name);
  if (sym == nullptr) {
    *error = std::string("plug-in has no entry point ") + name;
    return false;
  }
  *out = reinterpret_cast<Fn>(sym);
  return true;
}
}  // namespace

PluginLoader::~PluginLoader() {
  if (handle_ != nullptr) dlclose(handle_);
}

bool PluginLoader::load(const std::string& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* why = dlerror();
    error_ = "cannot load plug-in " + path + ": " + (why ? why : "unknown error");
    return false;
  }
#define KXSNAP_RESOLVE(field, name) \
  if (!resolve(handle_, #name, &api_.field, &error_)) return false;
  KXSNAP_RESOLVE(version, kxso_version)
  KXSNAP_RESOLVE(isSupported, kxso_isSupported)
  KXSNAP_RESOLVE(prepareDevices, kxso_prepareDevices)
  KXSNAP_RESOLVE(processVPDInfo, kxso_processVPDInfo)
  KXSNAP_RESOLVE(unprepareDevices, kxso_unprepareDevices)
  KXSNAP_RESOLVE(prepareRemoteSnaps, kxso_prepareRemoteSnaps)
  KXSNAP_RESOLVE(createRemoteSnaps, kxso_createRemoteSnaps)
  KXSNAP_RESOLVE(preSnapDevices, kxso_preSnapDevices)
  KXSNAP_RESOLVE(snapDevices, kxso_snapDevices)
  KXSNAP_RESOLVE(postSnapDevices, kxso_postSnapDevices)
  KXSNAP_RESOLVE(isMapped, kxso_isMapped)
  KXSNAP_RESOLVE(unmapSnaps, kxso_unmapSnaps)
  KXSNAP_RESOLVE(mapSnaps, kxso_mapSnaps)
  KXSNAP_RESOLVE(deleteSnaps, kxso_deleteSnaps)
  KXSNAP_RESOLVE(revertSnaps, kxso_revertSnaps)
  KXSNAP_RESOLVE(reconcileSnaps, kxso_reconcileSnaps)
  KXSNAP_RESOLVE(execSnapEngineOp, kxso_execSnapEngineOp)
  KXSNAP_RESOLVE(identifyDevices, kxso_identifyDevices)
#undef KXSNAP_RESOLVE
  return true;
}

std::string defaultPluginPath() {
  char self[PATH_MAX] = {0};
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string dir = ".";
  if (n > 0) {
    std::string exe(self, static_cast<size_t>(n));
    size_t slash = exe.rfind('/');
    if (slash != std::string::npos) dir = exe.substr(0, slash);
  }
  // Built tree: tools/kxsnap/kxsnap beside plugin/libKxSnapPureStor.so.
  std::string built = dir + "/../../plugin/libKxSnapPureStor.so";
  if (access(built.c_str(), R_OK) == 0) return built;
  return dir + "/libKxSnapPureStor.so";
}

}  // namespace kxsnap
