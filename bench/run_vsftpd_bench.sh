#!/bin/sh
# A 256 MiB package from Debian's vsftpd on 127.0.0.1: the engine beside the
# curl command line, in alternating pairs (5 by default), their medians, the
# peak memory, and a second attempt after a cut at 90%. vsftpd runs on a free
# port with a configuration of its own in a temporary folder, and is stopped
# at the end. The engine is driven by the download harness
# (bench/download_bench.cpp) of the build folder
# (BUILD, default build/).
# DIGESTS=0 publishes a catalogue without Size and Sha256 (no digest worked out).
# Usage: bench/run_vsftpd_bench.sh [PAIRS]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
pairs=${1:-5}
cmake --build "$build" -j2 --target download_bench ftpacs_writer >/dev/null
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# The server's tree, its account anonymous (vsftpd serves anonymous users from anon_root).
/usr/bin/python3 - "$root" "$work/root" "$build" "${DIGESTS:-1}" <<'PY'
import os, sys
sys.path.insert(0, os.path.join(sys.argv[1], "tests", "support"))
import update_server
writer = os.path.join(sys.argv[3], "ftpacs_writer")
update_server.write_tree(sys.argv[2], chain=("5.2.0", "5.2.1"), postal_code="", package_size=256 << 20,
                         user="anonymous", password="bench@", ftpacs_writer=writer, digests=sys.argv[4] != "0")
PY
chmod -R a-w "$work/root"
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/empty"
cat > "$work/vsftpd.conf" <<CONF
listen=YES
listen_address=127.0.0.1
listen_port=$port
background=NO
run_as_launching_user=YES
anonymous_enable=YES
no_anon_password=YES
anon_root=$work/root
local_enable=NO
write_enable=NO
pasv_enable=YES
pasv_address=127.0.0.1
seccomp_sandbox=NO
secure_chroot_dir=$work/empty
xferlog_enable=NO
CONF
/usr/sbin/vsftpd "$work/vsftpd.conf" &
pid=$!
for _ in $(seq 50); do
  /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null && break
  sleep 0.1
done
# The harness writes a workstation file into its current folder.
cd "$work"
"$build/bench/download_bench" --server "ftp://127.0.0.1:$port/maj/" /maj/5.2.1/talvo_5.2.0_5.2.1.exe \
  "$work/root/maj/5.2.1/talvo_5.2.0_5.2.1.exe" "$pairs"
