// The built plug-in loaded as the host loads it: the entry points resolve,
// internals do not, and the validation holds through the loaded copy.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "EntryPointTable.h"

namespace {

// Loaded once for the whole program, as a host keeps it.
void* plugin() {
  static void* handle = dlopen(KX_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  return handle;
}

TEST(PluginLoadTest, EveryEntryPointResolves) {
  ASSERT_NE(plugin(), nullptr) << dlerror();
  for (const std::string& name : kxtest::allEntryNames()) {
    EXPECT_NE(dlsym(plugin(), name.c_str()), nullptr) << name;
  }
  EXPECT_EQ(kxtest::allEntryNames().size(), 18u);
}

TEST(PluginLoadTest, InternalsStayHidden) {
  ASSERT_NE(plugin(), nullptr) << dlerror();
  for (const char* name : {"g_HostLog", "_Z20checkPassedInDevicesPPN4KXSO8SnapInfoEsPNS_8KXOSUtilE",
                           "_Z8setErrorPN4KXSO8SnapInfoEiPKcS3_", "snapDevices"}) {
    EXPECT_EQ(dlsym(plugin(), name), nullptr) << name;
  }
}

TEST(PluginLoadTest, VersionThroughTheLoadedPlugin) {
  ASSERT_NE(plugin(), nullptr) << dlerror();
  using VersionFn = void (*)(short*, short*, short*);
  auto version = reinterpret_cast<VersionFn>(dlsym(plugin(), "kxso_version"));
  ASSERT_NE(version, nullptr);
  short major = 0, minor = 9, revision = 0;
  version(&major, &minor, &revision);
  EXPECT_EQ(major, 1);
  EXPECT_EQ(minor, 0);
  EXPECT_EQ(revision, 1);
  short untouched = 9;
  version(&untouched, &minor, nullptr);
  EXPECT_EQ(untouched, 9);
}

TEST(PluginLoadTest, InvalidArgumentsThroughTheLoadedPlugin) {
  ASSERT_NE(plugin(), nullptr) << dlerror();
  for (const kxtest::EntryInfo& entry : kxtest::validatingEntries()) {
    for (const kxtest::InvalidCase& invalid : kxtest::invalidCases()) {
      SCOPED_TRACE(std::string(entry.name) + " " + invalid.name);
      kxtest::checkInvalidCall(entry, dlsym(plugin(), entry.name), invalid);
    }
  }
}

}  // namespace
