#!/usr/bin/env bash
# Builds the readers of outside data as libFuzzer targets (clang-14 with
# AddressSanitizer and UndefinedBehaviorSanitizer) in build-fuzz/ and runs
# each target for N minutes, one after the other (default 10).
# Usage: scripts/fuzz.sh [minutes] [target...]
#
# Each target starts from its seeds in tests/fuzz/corpus/<target>/ (read
# only), with the words of its format from tests/fuzz/dict/<target>.dict,
# and keeps the new inputs it finds in build-fuzz/work/<target>/; with
# KT_FUZZ_MERGE=1 those are merged into the repository's corpus at the end.
# Crash inputs go to build-fuzz/crashes/<target>/; replay one with
# build-fuzz/tests/fuzz/fuzz_<target> FILE. A target that crashes is started
# again for the rest of its time, at most 5 times.
set -euo pipefail

minutes=${1:-10}
shift || true
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build-fuzz

bash "$top/scripts/setup.sh" --fuzz-packages

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for harness in "$top"/tests/fuzz/fuzz_*.cpp; do
    name=$(basename "$harness" .cpp)
    [ "$name" = fuzz_support ] || targets+=("${name#fuzz_}")
  done
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DKT_FUZZ=ON -DKT_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

# The harnesses work in a temporary tree and write files atomically, with
# fsync; in memory that costs nothing.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
summary=()
for target in "${targets[@]}"; do
  binary=$build/tests/fuzz/fuzz_$target
  work=$build/work/$target
  crashes=$build/crashes/$target
  logs=$build/logs/$target
  mkdir -p "$work" "$crashes" "$logs"
  end=$(( $(date +%s) + minutes * 60 ))
  runs=0
  coverage=0
  crashed=0
  attempt=0
  while [ "$(date +%s)" -lt "$end" ] && [ "$crashed" -lt 5 ]; do
    attempt=$((attempt + 1))
    log=$logs/run$attempt.log
    left=$(( end - $(date +%s) ))
    echo "== $target: $left s (run $attempt)"
    dict=()
    [ -f "$top/tests/fuzz/dict/$target.dict" ] && dict=(-dict="$top/tests/fuzz/dict/$target.dict")
    if "$binary" -max_total_time="$left" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "${dict[@]}" \
         -artifact_prefix="$crashes/" "$work" "$top/tests/fuzz/corpus/$target" >"$log" 2>&1; then
      status=0
    else
      status=$?
    fi
    runs=$(( runs + $(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1 | grep . || echo 0) ))
    seen=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
    [ -n "$seen" ] && [ "$seen" -gt "$coverage" ] && coverage=$seen
    if [ "$status" -ne 0 ]; then
      crashed=$((crashed + 1))
      echo "   crash, see $log"
      grep -m1 -E 'ERROR: |runtime error|fuzz check failed' "$log" || true
    fi
  done
  if [ "${KT_FUZZ_MERGE:-0}" = 1 ]; then
    "$binary" -merge=1 "$top/tests/fuzz/corpus/$target" "$work" >"$logs/merge.log" 2>&1
  fi
  summary+=("$(printf '%-12s runs: %-10s coverage: %-6s crashes: %s' "$target" "$runs" "$coverage" "$crashed")")
done

echo
printf '%s\n' "${summary[@]}"
