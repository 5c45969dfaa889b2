#!/usr/bin/env bash
# The whole test suite: a Release build (what users and packagers build), then the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, then the threaded parts under
# ThreadSanitizer; last the Debian packages, built, checked by lintian and
# checked for their contents.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

run_suite() {
  local build=$1; shift
  local filter=("$@")
  (cd "$build" && ctest --output-on-failure --timeout 600 "${filter[@]}")
}

"$top/scripts/setup.sh" "$top/build" -DCMAKE_BUILD_TYPE=Release
run_suite "$top/build"

"$top/scripts/setup.sh" "$top/build-asan" -DKT_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_suite "$top/build-asan"

"$top/scripts/setup.sh" "$top/build-tsan" -DKT_TSAN=ON
TSAN_OPTIONS=halt_on_error=1 run_suite "$top/build-tsan" -L threads

"$top/scripts/package.sh" "$top/build-pkg"
