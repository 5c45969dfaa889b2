#!/bin/sh
# A 256 MiB package from a real server on 127.0.0.1: the engine beside the
# curl command line, in alternating pairs (5 by default), their medians, the
# peak memory, and a second attempt after a cut at 90%. The server runs on a
# free port with a configuration of its own in a temporary folder, and is
# stopped at the end:
#   PROTOCOL=ftp (default): Debian's vsftpd, anonymous;
#   PROTOCOL=https: Debian's nginx over TLS, with a certificate authority made
#     here that curl and the workstation trust (a server of C, so that neither
#     client waits on it).
# By default the engine is driven by the download harness
# (bench/download_bench.cpp); KTHOST=1 runs the module end to end through
# kthost in prepared practices instead (bench/kthost_bench.py), the run
# killed at 90% included. Both from the build folder BUILD (default build/).
# DIGESTS=0 publishes a catalogue without Size and Sha256 (no digest worked out).
# BENCHPREFIX goes before the harness's command, e.g. "perf record -g -o FILE".
# Usage: bench/run_vsftpd_bench.sh [PAIRS]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
pairs=${1:-5}
protocol=${PROTOCOL:-ftp}
cmake --build "$build" -j2 --target download_bench ftpacs_writer catalogue_digests kthost ktupdatedll ktupdate_stub >/dev/null
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
ca=
if [ "$protocol" = https ]; then
  (cd "$work" && printf 'subjectAltName=IP:127.0.0.1\n' >server.ext &&
   openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key -out ca.pem -days 2 \
     -subj '/CN=Bench authority' &&
   openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key -out server.csr \
     -subj '/CN=127.0.0.1' &&
   openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 \
     -extfile server.ext) >"$work/openssl.log" 2>&1
  ca=$work/ca.pem
  server_log=$work/access.log
  # One process, in the foreground; its worker reads the tree as the launching user.
  cat > "$work/nginx.conf" <<CONF
daemon off;
master_process off;
$( [ "$(id -u)" = 0 ] && echo "user root;" )
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 64; }
http {
  log_format sent '\$request \$status \$body_bytes_sent';
  access_log $server_log sent;
  client_body_temp_path $work/empty;
  proxy_temp_path $work/empty;
  fastcgi_temp_path $work/empty;
  uwsgi_temp_path $work/empty;
  scgi_temp_path $work/empty;
  default_type application/octet-stream;
  server {
    listen 127.0.0.1:$port ssl;
    ssl_certificate $work/server.pem;
    ssl_certificate_key $work/server.key;
    root $work/root;
  }
}
CONF
  /usr/sbin/nginx -p "$work" -c "$work/nginx.conf" -e "$work/error.log" &
else
  server_log=$work/vsftpd.log
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
xferlog_enable=YES
vsftpd_log_file=$server_log
CONF
  /usr/sbin/vsftpd "$work/vsftpd.conf" &
fi
pid=$!
for _ in $(seq 50); do
  /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null && break
  sleep 0.1
done
base="$protocol://127.0.0.1:$port/maj/"
object=/maj/5.2.1/talvo_5.2.0_5.2.1.exe
if [ "${KTHOST:-0}" = 1 ]; then
  KTHOST="$build/kthost" KTMODULE="$build/libktupdatedll.so" KTUPDATE_STUB="$build/tools/ktupdate_stub/ktupdate.exe" \
    /usr/bin/python3 "$root/bench/kthost_bench.py" "$base" "$object" "$work/root$object" "$pairs" "$server_log" $ca
else
  # The harness writes a workstation file into its current folder.
  cd "$work"
  ${BENCHPREFIX:-} "$build/bench/download_bench" --server "$base" "$object" "$work/root$object" "$pairs" $ca
fi
