#!/bin/sh
# Builds the catalogue search benchmark in Release and prints its figures:
# the time of one search for 5,000 and for 50,000 steps, and their ratio.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-catalogue-release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target catalogue_bench >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$build/bench/catalogue_bench" --benchmark_out="$out" --benchmark_out_format=json
/usr/bin/python3 - "$out" <<'PY'
import json, sys
runs = {int(r["steps"]): r["real_time"] for r in json.load(open(sys.argv[1]))["benchmarks"]}
small, large = runs[5000], runs[50000]
print(f"5,000 steps: {small:.0f} ms (target under 1,000 ms)")
print(f"50,000 steps: {large:.0f} ms, {large / small:.1f} times the 5,000-step time (target at most 12)")
PY
