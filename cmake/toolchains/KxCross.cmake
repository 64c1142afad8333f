# Shared part of the Debian cross toolchains. The including file sets
# KX_CROSS_TRIPLE (GNU triple of the cross compiler), KX_CROSS_PROCESSOR
# (what `uname -m` says on the target) and KX_CROSS_QEMU (qemu-user program).
#
# KX_CROSS_SYSROOT (optional): a folder holding target packages unpacked
# with dpkg-deb -x (libcurl, OpenSSL). It is searched after the cross
# toolchain's own tree, and the emulator loads its shared libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${KX_CROSS_PROCESSOR})
set(CMAKE_C_COMPILER ${KX_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${KX_CROSS_TRIPLE}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${KX_CROSS_TRIPLE})

set(KX_CROSS_SYSROOT "$ENV{KX_CROSS_SYSROOT}" CACHE PATH "Unpacked target packages (empty: none)")
# try_compile projects read this file again and need the same answer.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KX_CROSS_SYSROOT)

set(CMAKE_FIND_ROOT_PATH /usr/${KX_CROSS_TRIPLE})
if(KX_CROSS_SYSROOT)
  list(APPEND CMAKE_FIND_ROOT_PATH ${KX_CROSS_SYSROOT})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host's pkg-config must not hand out the host's (amd64) libraries.
if(KX_CROSS_SYSROOT)
  set(ENV{PKG_CONFIG_LIBDIR} "${KX_CROSS_SYSROOT}/usr/lib/${KX_CROSS_TRIPLE}/pkgconfig:${KX_CROSS_SYSROOT}/usr/share/pkgconfig")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "${KX_CROSS_SYSROOT}")
else()
  set(ENV{PKG_CONFIG_LIBDIR} "/usr/${KX_CROSS_TRIPLE}/lib/pkgconfig")
endif()

# Header-only packages are the same for every architecture.
if(EXISTS /usr/share/cmake/nlohmann_json/nlohmann_jsonConfig.cmake)
  set(nlohmann_json_DIR /usr/share/cmake/nlohmann_json CACHE PATH "")
endif()

# No binfmt here: CTest and GoogleTest discovery run every target program
# through qemu-user, which loads the target's dynamic loader and libraries
# from the cross toolchain's tree (and from the sysroot, if any).
set(CMAKE_CROSSCOMPILING_EMULATOR ${KX_CROSS_QEMU} -L /usr/${KX_CROSS_TRIPLE})
if(KX_CROSS_SYSROOT)
  set(kx_cross_libdirs
    ${KX_CROSS_SYSROOT}/usr/lib/${KX_CROSS_TRIPLE}
    ${KX_CROSS_SYSROOT}/lib/${KX_CROSS_TRIPLE})
  string(REPLACE ";" ":" kx_cross_ld_path "${kx_cross_libdirs}")
  list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -E LD_LIBRARY_PATH=${kx_cross_ld_path})
  # Debian keeps architecture-specific headers (opensslconf.h, curl's) in
  # a multiarch folder that only the native compiler searches by itself.
  set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${KX_CROSS_SYSROOT}/usr/include/${KX_CROSS_TRIPLE})
  set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${KX_CROSS_SYSROOT}/usr/include/${KX_CROSS_TRIPLE})
  # The sysroot's libraries need each other at link time.
  foreach(dir ${kx_cross_libdirs})
    string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,-rpath-link,${dir}")
    string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Wl,-rpath-link,${dir}")
  endforeach()
endif()

# What the byte-order test holds the running program to.
set(KX_EXPECT_BIG_ENDIAN ${KX_CROSS_BIG_ENDIAN} CACHE BOOL "The target is big-endian")
set(KX_EXPECT_MACHINE ${KX_CROSS_PROCESSOR} CACHE STRING "uname -m on the target")
