#!/usr/bin/env bash
# Installs the build into a temporary prefix, then builds two tiny hosts
# against that prefix, one through find_package(ktupdate) and one through
# pkg-config; each loads the module from the path it was given and chooses a
# presenter. The installed kthost must find the installed module by itself.
# Usage: check_install.sh BUILD_DIR HOST_SOURCE_DIR
set -euo pipefail
build=$1 host=$2
work=$(mktemp -d /tmp/ktinstall-XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

# The module's system folders, so that loading it touches nothing outside.
for d in windows programfiles appdata registry run tmp; do mkdir -p "$work/$d"; done
export KT_WINDOWS_DIR=$work/windows KT_PROGRAM_FILES=$work/programfiles KT_COMMON_APPDATA=$work/appdata
export KT_REGISTRY_DIR=$work/registry KT_RUNTIME_DIR=$work/run TMPDIR=$work/tmp

cmake --install "$build" --prefix "$prefix" >/dev/null
stand_ins=$(find "$prefix" \( -name 'ktupdate.exe' -o -name 'ktbtt32*' -o -name 'ftpacs_writer' \) -print)
[ -z "$stand_ins" ] || fail "test stand-ins installed: $stand_ins"

echo "== find_package(ktupdate)"
cmake -S "$host" -B "$work/cmake-host" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-host" >/dev/null
"$work/cmake-host/ktupdate_host" || fail "the CMake host"

echo "== pkg-config ktupdate"
PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name ktupdate.pc)")
export PKG_CONFIG_PATH
module=$(pkg-config --variable=module ktupdate)
[ -f "$module" ] || fail "pkg-config gives no module: $module"
# shellcheck disable=SC2046
c++ -std=c++20 $(pkg-config --cflags ktupdate) -DKT_MODULE="\"$module\"" "$host/host.cpp" \
    -o "$work/pc-host" $(pkg-config --libs ktupdate) -ldl
"$work/pc-host" || fail "the pkg-config host"

echo "== installed kthost"
# A presenter script that cannot be read is refused by the module (status 2):
# proof that kthost loaded it (status 3 otherwise).
status=0
"$prefix/bin/kthost" --ui "script:$work/none.txt" >/dev/null 2>"$work/kthost.err" || status=$?
[ "$status" -eq 2 ] && grep -q "the module refused" "$work/kthost.err" || {
  cat "$work/kthost.err" >&2; fail "installed kthost did not load the installed module (status $status)"; }
echo "install and consume: ok"
