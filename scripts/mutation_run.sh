#!/usr/bin/env bash
# Measures what the test suite catches: the mutation probe over a throwaway
# clone of one commit. Usage: scripts/mutation_run.sh [COMMIT] [COUNT] [SEED]
# (defaults HEAD 60 1). Run it by hand on an otherwise idle machine: it takes
# from half an hour to an hour for 60 mutants, and tests starved of processor
# time would fail and count as kills. Ninja and lld keep the relinking after
# each one-line change short. The probe lives beside the project's checkout:
# MUTANTS=/path/to/mutants.py overrides where.
set -euo pipefail
for tool in ninja ld.lld; do command -v $tool >/dev/null || { echo "$tool is missing: apt-get install ninja-build lld" >&2; exit 2; }; done
top=$(cd "$(dirname "$0")/.." && pwd)
commit=${1:-HEAD}
count=${2:-60}
seed=${3:-1}
probe=${MUTANTS:-$top/../shared/tools/mutants.py}
[ -f "$probe" ] || { echo "mutation probe not found: $probe" >&2; exit 2; }

work=$(mktemp -d /tmp/mutation.XXXXXX)
git clone -q "$top" "$work/p"
git -C "$work/p" checkout -q "$commit"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -G Ninja -S "$work/p" -B "$work/b" "${launcher[@]}" \
  -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld \
  -DCMAKE_MODULE_LINKER_FLAGS=-fuse-ld=lld >/dev/null
cmake --build "$work/b" -j2 >/dev/null
echo "commit $(git -C "$work/p" rev-parse --short HEAD), $count mutants, seed $seed, in $work"
/usr/bin/python3 -u "$probe" --src "$work/p" --build "$work/b" --count "$count" --seed "$seed"
