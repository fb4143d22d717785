#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each one, for a time or for a
# number of executions:
#   scripts/fuzz.sh [SECONDS] [TARGET...]       for that many seconds (default 60)
#   scripts/fuzz.sh --runs N [TARGET...]        for N executions, however long they take
# Without TARGET every target runs, one after the other. New inputs go to
# build-fuzz/corpus/<target>/, findings to build-fuzz/findings/<target>/, each target's output
# to build-fuzz/<target>.log; the repository's corpus (fuzz/corpus/) is only read.
# Fails when a target finds a crash, a leak, a timeout or a broken check. An input counts as
# hanging after FUZZ_TIMEOUT seconds (10 unless set); the clock is the wall's, so a long run
# at a low priority on a busy machine needs a larger one.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: scripts/fuzz.sh [SECONDS | --runs N] [TARGET...]" >&2
  exit 2
}
isCount() { [[ $1 =~ ^[1-9][0-9]*$ ]]; }

limit=(-max_total_time=60)
what=60s
if [ $# -gt 0 ] && [ "$1" = --runs ]; then
  [ $# -ge 2 ] && isCount "$2" || usage
  limit=(-runs="$2")
  what="$2 runs"
  shift 2
elif [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  isCount "$1" || usage
  limit=(-max_total_time="$1")
  what="$1s"
  shift
fi
chosen=("$@")

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DZR_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build build-fuzz ${FUZZ_JOBS:+-j "$FUZZ_JOBS"}

mapfile -t targets < <(grep -v '^$' build-fuzz/fuzz-targets.txt)
for target in "${chosen[@]}"; do
  printf '%s\n' "${targets[@]}" | grep -qxF -- "$target" \
    || { echo "no fuzz target $target (there are: ${targets[*]})" >&2; exit 2; }
done
[ ${#chosen[@]} -eq 0 ] || targets=("${chosen[@]}")

failed=()
for target in "${targets[@]}"; do
  work=build-fuzz/corpus/$target
  findings=build-fuzz/findings/$target
  mkdir -p "$work" "$findings"
  echo "== $target: $what"
  if ! build-fuzz/fuzz/"$target" "${limit[@]}" -timeout="${FUZZ_TIMEOUT:-10}" -rss_limit_mb=2048 \
        -dict=fuzz/"$target".dict -artifact_prefix="$findings"/ -print_final_stats=1 \
        "$work" fuzz/corpus/"$target" >"build-fuzz/$target.log" 2>&1; then
    failed+=("$target")
    tail -n 40 "build-fuzz/$target.log"
  fi
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "build-fuzz/$target.log" || true
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found problems in: ${failed[*]} (inputs in build-fuzz/findings/)" >&2
  exit 1
fi
