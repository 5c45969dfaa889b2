#!/bin/sh
# Builds the download benchmark in Release and prints its figures: the rate
# of a 256 MiB package beside the curl command line's from the same server,
# the peak memory, the rate under a 200 Ko/sec limit, and how often the
# speed and remaining-time texts change. Exit status 0 when all meet their targets.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-download-release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target download_bench >/dev/null
exec "$build/bench/download_bench"
