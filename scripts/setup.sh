#!/usr/bin/env bash
# Installs the Debian packages the module needs (only those missing), then
# configures and builds it. Usage: scripts/setup.sh BUILD_DIR [cmake options...]
# KT_JOBS sets the number of parallel build jobs (default: one per core).
# With --fuzz-packages it only installs what scripts/fuzz.sh needs besides.
set -euo pipefail

packages=(build-essential cmake pkg-config libpugixml-dev libeasyloggingpp-dev
          libcurl4-openssl-dev libgtest-dev libgmock-dev libbenchmark-dev
          python3 python3-pyftpdlib python3-openssl libssl-dev openssl help2man dpkg-dev file lintian
          libgtk-3-dev xvfb openbox strace vsftpd squid apache2-utils nginx-light)
fuzz_only=0
if [ "${1:-}" = --fuzz-packages ]; then
  packages+=(clang-14 libfuzzer-14-dev)
  fuzz_only=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi
[ "$fuzz_only" = 1 ] && exit 0

top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
shift || true
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"${KT_JOBS:-$(nproc)}"
