#!/bin/sh
# Builds the catalogue search benchmark in Release and prints its figures:
# the time of one search for 5,000 and for 50,000 steps (the median of five
# repetitions), and their ratio, in elapsed time and in processor time (which
# other work on the machine does not inflate).
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
report = json.load(open(sys.argv[1]))
runs = {int(r["steps"]): r for r in report["benchmarks"] if r.get("aggregate_name") == "median"}
small, large = runs[5000], runs[50000]
print(f"load average at start: {report['context'].get('load_avg', ['?'])[0]}")
for clock in ("real_time", "cpu_time"):
    print(f"{clock}: 5,000 steps {small[clock]:.0f} ms (target under 100 ms); "
          f"50,000 steps {large[clock]:.0f} ms, {large[clock] / small[clock]:.1f} times (target at most 11)")
PY
