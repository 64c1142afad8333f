// kxsnap: the reference host. It loads the plug-in into its own process and
// calls its entry points as a backup host does.
#include <cstdio>
#include <cstring>
#include <string>

#include "PluginLoader.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: kxsnap [--plugin PATH] version\n"
               "  version   load the plug-in, resolve its entry points, print its version\n");
  return 2;
}

int runVersion(const kxsnap::PluginApi& api, const std::string& path) {
  short major = 0, minor = 0, revision = 0;
  api.version(&major, &minor, &revision);
  std::printf("plug-in %s\nversion %d.%d.%d, 18 entry points resolved\n", path.c_str(), major,
              minor, revision);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string plugin = kxsnap::defaultPluginPath();
  int i = 1;
  if (i + 1 < argc && std::strcmp(argv[i], "--plugin") == 0) {
    plugin = argv[i + 1];
    i += 2;
  }
  if (i >= argc) return usage();
  kxsnap::PluginLoader loader;
  if (!loader.load(plugin)) {
    std::fprintf(stderr, "kxsnap: %s\n", loader.error().c_str());
    return 1;
  }
  const std::string command = argv[i];
  if (command == "version") return runVersion(loader.api(), plugin);
  return usage();
}
