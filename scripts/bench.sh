#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks as a Release build in build-rel/, writes
# the benchmark feeds and runs every benchmark once. Each benchmark's whole output goes to
# build-rel/bench-logs/; the table of its RESULT lines is printed at the end.
#
#   scripts/bench.sh            every benchmark (about a quarter of an hour on two cores)
#   scripts/bench.sh cycle-work reload    only the ones named
set -euo pipefail
cd "$(dirname "$0")/.."

all=(cycle-work reload memory visible-page responsiveness)
chosen=("${@:-${all[@]}}")

scripts/install-deps.sh
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-rel --target "${chosen[@]/#/bench-}"

failed=0
feeds=build-rel/bench-feeds
logs=build-rel/bench-logs
mkdir -p "$feeds" "$logs"
feed() {
    local path="$feeds/feed-$1.xml"
    [[ -s "$path" ]] || python3 bench/make-big-feed.py "$path" --items "$1"
    echo "$path"
}

run() {
    local name=$1
    shift
    echo "== bench-$name $*"
    # The engine's diagnostics stay in the log; the figures are shown.
    if ! "build-rel/bench/bench-$name" "$@" >"$logs/$name.txt" 2>"$logs/$name.stderr.txt"; then
        echo "bench-$name failed; see $logs/$name.txt and $logs/$name.stderr.txt" >&2
        failed=1
    fi
    cat "$logs/$name.txt"
}

for name in "${chosen[@]}"; do
    case "$name" in
        cycle-work) run cycle-work "$(feed 1000)" "$(feed 10000)" "$(feed 100000)" ;;
        reload) run reload "$(feed 100)" "$(feed 1000)" ;;
        memory) run memory --reloads 500 "$(feed 1000)" ;;
        visible-page) run visible-page "$(feed 5000)" "$(feed 20000)" 9 ;;
        responsiveness) run responsiveness "$(feed 1000)" ;;
        *) echo "unknown benchmark: $name (known: ${all[*]})" >&2; exit 2 ;;
    esac
done

echo
echo "| result | measured | goal | |"
echo "|---|---|---|---|"
for name in "${chosen[@]}"; do
    grep '^RESULT ' "$logs/$name.txt" 2>/dev/null | awk '{ printf "| %s | %s | <= %s | %s |\n", $2, $3, $6, $8 }' || true
done
exit "$failed"
