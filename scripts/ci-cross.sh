#!/usr/bin/env bash
# Builds the libraries and tests for a big-endian target with Debian's cross
# compiler and runs them under qemu-user through CTest.
# Usage: scripts/ci-cross.sh ppc64|s390x
#   ppc64: no libcurl/OpenSSL for the target, so the libcurl client and the
#          tests over real HTTP are left out (KX_WITH_CURL=OFF).
#   s390x: libcurl, OpenSSL and cpp-httplib come from target packages
#          unpacked into a private sysroot; the HTTP integration tests talk
#          to the natively built array simulator (KX_NATIVE_BUILD, default
#          build/, built there if missing).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: ci-cross.sh ppc64|s390x}
build=$top/build-$target
jobs=2

timed() {
  local what=$1; shift
  local start=$(date +%s)
  "$@"
  echo "--- $target: $what took $(( $(date +%s) - start )) s"
}

# The target packages libcurl4-openssl-dev, libssl-dev and
# libcpp-httplib-dev with their dependencies, fetched by apt with private
# state and cache folders, so the host's package state is left alone.
# libc6, libgcc-s1 and gcc-12-base come with the cross toolchain.
s390x_sysroot() {
  local sysroot=$1 apt=$top/build-cross-s390x-apt
  [ -f "$sysroot/.complete" ] && return 0
  rm -rf "$sysroot" "$apt"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$sysroot"
  : >"$apt/status"
  local opts=(-o APT::Architecture=s390x -o APT::Architectures=s390x
              -o Dir::State="$apt" -o Dir::State::Lists="$apt/lists"
              -o Dir::State::status="$apt/status" -o Dir::Cache="$apt/cache"
              -o Debug::NoLocking=1)
  apt-get "${opts[@]}" update -qq
  apt-get "${opts[@]}" install -y -qq --download-only --no-install-recommends \
    libcurl4-openssl-dev libssl-dev libcpp-httplib-dev >/dev/null
  local deb name
  for deb in "$apt"/cache/archives/*.deb; do
    name=$(dpkg-deb -f "$deb" Package)
    case "$name" in libc6|libgcc-s1|gcc-12-base) continue ;; esac
    dpkg-deb -x "$deb" "$sysroot"
  done
  touch "$sysroot/.complete"
}

# Sets arraysim to the native simulator, brought up to date (the native
# stage has normally built it already).
native_arraysim() {
  local native=${KX_NATIVE_BUILD:-$top/build}
  arraysim=$native/tools/arraysim/arraysim
  [ -f "$native/CMakeCache.txt" ] || cmake -S "$top" -B "$native" >/dev/null
  cmake --build "$native" --target arraysim -j "$jobs" >/dev/null
}

timed "packages" "$top/scripts/install-deps.sh" "$top/scripts/debian-packages-cross.txt"

# -O1 without debug information compiles about twice as fast as the
# native -O2 -g; the tests run under emulation all the same.
args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchains/$target.cmake"
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG"
      -DKX_BUILD_TESTS=ON -DKX_BUILD_TOOLS=OFF -DKX_BUILD_BENCH=OFF -DKX_BUILD_FUZZ=OFF)
case "$target" in
  ppc64) args+=(-DKX_WITH_CURL=OFF) ;;
  s390x)
    sysroot=$top/build-cross-s390x-sysroot
    timed "sysroot" s390x_sysroot "$sysroot"
    timed "native arraysim" native_arraysim
    args+=(-DKX_WITH_CURL=ON -DKX_CROSS_SYSROOT="$sysroot" -DKX_NATIVE_ARRAYSIM="$arraysim")
    ;;
  *) echo "unknown target: $target" >&2; exit 2 ;;
esac

timed "configure" cmake -S "$top" -B "$build" "${args[@]}" >/dev/null
# Without the tools, "all" is the libraries, the plug-in and the tests.
timed "build" cmake --build "$build" -j "$jobs"
timed "tests" ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300
