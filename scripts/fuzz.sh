#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for the given time
# (seconds, default 60). New inputs go to build-fuzz/corpus/<target>/, findings to
# build-fuzz/findings/<target>/; the repository's corpus (fuzz/corpus/) is only read.
# Fails when a target finds a crash or a broken check.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DZR_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build build-fuzz ${FUZZ_JOBS:+-j "$FUZZ_JOBS"}

failed=()
while read -r target; do
  [ -n "$target" ] || continue
  work=build-fuzz/corpus/$target
  findings=build-fuzz/findings/$target
  mkdir -p "$work" "$findings"
  echo "== $target: ${seconds}s"
  if ! build-fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -dict=fuzz/"$target".dict -artifact_prefix="$findings"/ -print_final_stats=1 \
        "$work" fuzz/corpus/"$target" >"build-fuzz/$target.log" 2>&1; then
    failed+=("$target")
    tail -n 40 "build-fuzz/$target.log"
  fi
  grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "build-fuzz/$target.log" || true
done < build-fuzz/fuzz-targets.txt

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found problems in: ${failed[*]} (inputs in build-fuzz/findings/)" >&2
  exit 1
fi
