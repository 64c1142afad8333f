# Big-endian 64-bit POWER (ELFv1): Debian's g++-powerpc64-linux-gnu, run
# under qemu-ppc64. There is no ppc64 libcurl or OpenSSL: configure with
# -DKX_WITH_CURL=OFF -DKX_BUILD_TOOLS=OFF.
set(KX_CROSS_TRIPLE powerpc64-linux-gnu)
set(KX_CROSS_PROCESSOR ppc64)
set(KX_CROSS_QEMU qemu-ppc64)
set(KX_CROSS_BIG_ENDIAN ON)
include(${CMAKE_CURRENT_LIST_DIR}/KxCross.cmake)
