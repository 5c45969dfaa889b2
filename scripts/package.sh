#!/usr/bin/env bash
# Builds the Debian packages: a Release build installed under /usr with
# Debian's build flags, packed by CPack, checked by lintian (errors fail) and
# by tests/packages/check_packages.py.
# Usage: scripts/package.sh [BUILD_DIR [cmake options...]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-pkg}
shift || true

# Debian's flags, hardening included, as dpkg-buildpackage would set them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS 2>/dev/null || true)
export CFLAGS="$(dpkg-buildflags --get CFLAGS 2>/dev/null || true) $cppflags"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS 2>/dev/null || true) $cppflags"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS 2>/dev/null || true)"

# A Release build whose optimisation is Debian's (-O2 above), not CMake's -O3.
KT_JOBS=2 "$top/scripts/setup.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG \
  -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG -DCMAKE_INSTALL_PREFIX=/usr -DKT_TESTS=OFF "$@"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)

echo "== lintian"
lintian --fail-on error "$build"/*.deb

echo "== contents"
checks=("$build")
if grep -q '^KT_GTK:BOOL=ON' "$build/CMakeCache.txt"; then checks+=(--gtk); fi
/usr/bin/python3 "$top/tests/packages/check_packages.py" "${checks[@]}"
