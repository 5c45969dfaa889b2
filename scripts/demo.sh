#!/usr/bin/env bash
# The demo: a practice at version 5.2.0 on a fresh workstation updates itself
# from the maker's update server, as a secretary would do it from the host's
# menu. The update server is generated and published on 127.0.0.1; the
# installer is a stand-in that records what it was handed.
#
#   scripts/demo.sh                 unattended: a visible script answers
#   scripts/demo.sh --interactive   you answer in the terminal
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
interactive=0
case "${1:-}" in
  --interactive) interactive=1 ;;
  "") ;;
  *) echo "usage: scripts/demo.sh [--interactive]" >&2; exit 2 ;;
esac
"$top/scripts/setup.sh" "$top/build"
build=$top/build

demo=$(mktemp -d /tmp/ktdemo-XXXXXX)
mkdir -p "$demo"/{app,data/UpdateInfo,windows,programfiles,appdata,registry,run,tmp,server}
export KT_WINDOWS_DIR=$demo/windows KT_PROGRAM_FILES=$demo/programfiles KT_COMMON_APPDATA=$demo/appdata
export KT_REGISTRY_DIR=$demo/registry KT_RUNTIME_DIR=$demo/run TMPDIR=$demo/tmp
cp "$build/tools/ktupdate_stub/ktupdate.exe" "$demo/app/ktupdate.exe"

# The update server: versions 5.2.0 -> 5.2.1 -> 5.3.0 -> 5.4.0, slowed down so
# that the progress can be followed.
KT_FTPACS_WRITER=$build/ftpacs_writer /usr/bin/python3 "$top/tests/support/update_server.py" \
  --root "$demo/server" --port 0 --package-size $((1536 * 1024)) --throttle $((512 * 1024)) \
  >"$demo/server.out" 2>"$demo/server.err" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
port=
for _ in $(seq 100); do
  port=$(sed -n 's/^PORT //p' "$demo/server.out")
  [ -n "$port" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$demo/server.err" >&2; exit 1; }
  sleep 0.1
done
[ -n "$port" ] || { echo "the update server did not start" >&2; exit 1; }

record=(--app-dir "$demo/app" --data-dir "$demo/data" --update-dir "$demo/data/UpdateInfo"
        --ver-major 5 --ver-minor 2 --ver-build 0 --compat-version 5.2.0 --version-label "Talvo 5.2"
        --title Talvo --practitioner "Dr Martin" --postal-code 77120
        --server "ftp://127.0.0.1:$port/maj/")

echo "== A practice at Talvo 5.2.0 is laid out in $demo"
echo "== The update server publishes 5.2.1, 5.3.0 and 5.4.0 on ftp://127.0.0.1:$port/maj/"
echo "== The secretary opens Utilitaires -> Mise à jour in Talvo:"
if [ "$interactive" = 1 ]; then
  # Real windows when a display is available, the terminal otherwise.
  "$build/kthost" "${record[@]}" --ui auto --transcript "$demo/shown.txt"
else
  answers=$demo/answers.txt
  cat >"$answers" <<'EOF'
# Automatic updates? "&Non": this workstation updates when asked.
buttons 1021 -> 24
# The main dialog: from the Internet, then "Commencer".
dialog 102: click 1000; click 1
# The update is ready: close Talvo and install now.
message 1060 -> yes
EOF
  echo "== Answers given for you (scripts/demo.sh --interactive lets you answer):"
  sed -n 's/^[^#]/  &/p' "$answers"
  # With a display the script is played on real windows; kthost refuses
  # (status 2) before the run starts when they cannot be had.
  status=2
  if [ -n "${DISPLAY:-}" ]; then
    status=0
    KT_GTK_SCRIPT=$answers "$build/kthost" "${record[@]}" --ui gtk --transcript "$demo/shown.txt" || status=$?
    [ "$status" = 2 ] || { echo "== What was shown, with the answers:"; cat "$demo/shown.txt"; }
  fi
  if [ "$status" = 2 ]; then
    "$build/kthost" "${record[@]}" --ui "watch:$answers" --transcript "$demo/shown.txt"
  fi
fi


echo
if [ -f "$demo/app/ktupdate-record.txt" ]; then
  echo "== The installer stand-in started; what it was handed is in $demo/app/ktupdate-record.txt"
else
  echo "== The installer was not started."
fi
echo "== Packages ready to install ($demo/data/UpdateInfo/files.xml):"
cat "$demo/data/UpdateInfo/files.xml" 2>/dev/null || echo "  (none)"
echo
echo "== Failure journal ($demo/app/mjlog.log):"
cat "$demo/app/mjlog.log" 2>/dev/null || echo "  (empty)"
echo
echo "== Activity log: $demo/appdata/Talvo Software/TalvoV3/Log/TalvoLog.log"
echo "== The practice stays in $demo for you to look at."
