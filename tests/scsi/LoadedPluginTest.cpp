// The device test of the plug-in as the host loads it: virtual LUNs that
// this program registers are seen by the dlopen'ed plug-in, since both use
// the one libkxplatform.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ScsiTestSupport.h"

namespace {

using IsSupportedFn = int (*)(const char*, int, void*, char*, short);

IsSupportedFn loadedIsSupported() {
  static void* handle = dlopen(KX_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<IsSupportedFn>(dlsym(handle, "kxso_isSupported"));
}

class LoadedPluginTest : public kxtest::VirtualLunFixture {};

TEST_F(LoadedPluginTest, SeesLunsRegisteredByTheHostAndTheirRemoval) {
  IsSupportedFn isSupported = loadedIsSupported();
  ASSERT_NE(isSupported, nullptr) << dlerror();
  ASSERT_TRUE(kxplatform::registerFlashArrayLun("/dev/kx-host-lun", kxtest::sampleLun()));
  char error[2048] = {};
  EXPECT_EQ(isSupported("/dev/kx-host-lun", 0, nullptr, error, 2047), 0);
  EXPECT_STREQ(error, "");
  kxplatform::unregisterVirtualLun("/dev/kx-host-lun");
  EXPECT_EQ(isSupported("/dev/kx-host-lun", 0, nullptr, error, 2047), 1);
  EXPECT_EQ(std::string(error).rfind("Failed to get KxDevice for device[/dev/kx-host-lun]", 0), 0u)
      << error;
}

}  // namespace
