#!/usr/bin/env bash
# Peak RSS of parsing the volume list with each library, minus that of only
# reading it, as a multiple of the text size.
# Usage: bench/json_bench/measure_memory.sh BUILD_DIR
set -euo pipefail
build=${1:?build directory}
tool="$build/bench/json_bench/json_mem"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" generate "$work/volumes.json"
size=$(stat -c %s "$work/volumes.json")
peak() { /usr/bin/time -v "$tool" "$1" "$work/volumes.json" 2>&1 >/dev/null | awk '/Maximum resident/ {print $6}'; }
base=$(peak read)
echo "text: $size bytes; read only: ${base} KiB peak RSS"
for lib in jsonxx nlohmann rapidjson; do
  kib=$(peak "$lib")
  awk -v l="$lib" -v k="$kib" -v b="$base" -v s="$size" \
    'BEGIN { printf "%-10s peak %7d KiB, parse adds %7d KiB = %.2fx the text\n", l, k, k - b, (k - b) * 1024 / s }'
done
