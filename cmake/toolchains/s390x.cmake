# Big-endian IBM Z: Debian's crossbuild-essential-s390x, run under
# qemu-s390x. libcurl and OpenSSL come from -DKX_CROSS_SYSROOT=DIR, the
# packages unpacked by scripts/ci-cross.sh. Configure with
# -DKX_BUILD_TOOLS=OFF; -DKX_NATIVE_ARRAYSIM=PATH names the natively built
# array simulator that the HTTP tests talk to.
set(KX_CROSS_TRIPLE s390x-linux-gnu)
set(KX_CROSS_PROCESSOR s390x)
set(KX_CROSS_QEMU qemu-s390x)
set(KX_CROSS_BIG_ENDIAN ON)
include(${CMAKE_CURRENT_LIST_DIR}/KxCross.cmake)
set(KX_NATIVE_ARRAYSIM "" CACHE FILEPATH "Natively built array simulator for the HTTP tests")
