#!/usr/bin/env bash
# Builds every fuzz target with clang-14 and libFuzzer under ASan/UBSan in
# build-fuzz/, then runs each one for a bounded time from its seed corpus.
# Any crash, leak, sanitizer report, timeout or memory blow-up fails.
# Usage: scripts/ci-fuzz.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"

# One line per target: executable, seed corpus (relative to the top), seconds.
targets=(
  "json_fuzz fuzz/json_fuzz/corpus 60"
  "vpd_fuzz fuzz/vpd_fuzz/corpus 45"
)

"$top/scripts/install-deps.sh"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$top" -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKX_BUILD_FUZZ=ON -DKX_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null

names=()
for t in "${targets[@]}"; do names+=("${t%% *}"); done
cmake --build "$build" -j 2 --target "${names[@]}"

mkdir -p "$build/artifacts"
for t in "${targets[@]}"; do
  read -r name seeds seconds <<<"$t"
  exe=$(find "$build/fuzz" -type f -name "$name" -perm -u+x | head -n 1)
  [ -n "$exe" ] || { echo "fuzz target $name not built" >&2; exit 1; }
  work="$build/corpus/$name"
  mkdir -p "$work"
  echo "fuzzing $name for $seconds s"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$name-" "$work" "$top/$seeds"
done
