#!/usr/bin/env bash
# Installs what is missing, builds everything with tests and runs CTest.
# Usage: scripts/test.sh [BUILD_DIR] [extra cmake args...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
shift || true
"$top/scripts/install-deps.sh"
jobs=$(nproc)
cmake -S "$top" -B "$build" -DKX_BUILD_TESTS=ON -DKX_BUILD_TOOLS=ON "$@" >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300
