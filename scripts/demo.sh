#!/usr/bin/env bash
# The main job: installs what is missing, builds everything, and runs the
# reference host against the plug-in.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KX_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -DKX_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target kxsnap KxSnapPureStor
exec "$build/tools/kxsnap/kxsnap" version
