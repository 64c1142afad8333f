#!/usr/bin/env bash
# CI stage: the Linux SCSI path against a real kernel. Installs what is
# missing, builds the static probe, fetches the Debian kernel and runs the
# qemu guest test (CTest label qemu).
# Usage: scripts/ci-qemu.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-qemu}
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -DKX_BUILD_QEMU_TEST=ON -DKX_SANITIZE=OFF >/dev/null
cmake --build "$build" --target scsi_guest_probe -j "$(nproc)"
"$top/tests/qemu/fetch-kernel.sh" "$build/tests/qemu/guest/kernel"
ctest --test-dir "$build" -L qemu --output-on-failure
