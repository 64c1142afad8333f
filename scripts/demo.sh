#!/usr/bin/env bash
# The main job: installs what is missing, builds the plug-in and the tools,
# and runs the reference host's demo: a whole snapshot lifecycle against the
# embedded array simulator. The exit code is the demo's.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KX_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -DKX_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target kxsnap arraysim KxSnapPureStor
exec "$build/tools/kxsnap/kxsnap" demo
