#!/usr/bin/env bash
# The demo: builds the module, lays out a practice in a temporary folder and
# runs the host stand-in on it in the terminal, as a person would.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" "$top/build"

demo=$(mktemp -d /tmp/ktdemo-XXXXXX)
mkdir -p "$demo"/{app,data/UpdateInfo,windows,programfiles,appdata,registry,run,tmp}
export KT_WINDOWS_DIR=$demo/windows KT_PROGRAM_FILES=$demo/programfiles KT_COMMON_APPDATA=$demo/appdata
export KT_REGISTRY_DIR=$demo/registry KT_RUNTIME_DIR=$demo/run TMPDIR=$demo/tmp
kthost=$top/build/kthost
record=(--app-dir "$demo/app" --data-dir "$demo/data" --update-dir "$demo/data/UpdateInfo"
        --ver-major 5 --ver-minor 2 --ver-build 0 --compat-version 5.2.0 --title Talvo
        --postal-code 77120 --server ftp://127.0.0.1:2121/maj/)

echo "== Practice laid out in $demo"
echo "== 1. The host forgets the practitioner's name: the module refuses the record."
"$kthost" "${record[@]}" --ui terminal
echo
echo "== 2. An ordinary call from the host's menu."
"$kthost" "${record[@]}" --practitioner "Dr Martin" --ui terminal
echo
echo "== Activity log ($demo/appdata/Talvo Software/TalvoV3/Log/TalvoLog.log):"
cat "$demo/appdata/Talvo Software/TalvoV3/Log/TalvoLog.log"
echo "== The practice stays in $demo for you to look at."
