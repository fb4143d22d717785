#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks as a Release build in build-rel/, writes
# the benchmark feeds and runs every benchmark once. Each benchmark's whole output goes to
# build-rel/bench-logs/; the table of its RESULT lines is printed at the end.
#
#   scripts/bench.sh            every benchmark (about a quarter of an hour on two cores)
#   scripts/bench.sh cycle-work reload    only the ones named
#   scripts/bench.sh peers      the reader beside the feed readers a member could install
#                               instead (installs them from Debian; about ten minutes)
set -euo pipefail
cd "$(dirname "$0")/.."

all=(cycle-work reload memory visible-page responsiveness peers)
chosen=("${@:-${all[@]}}")

scripts/install-deps.sh
targets=()
for name in "${chosen[@]}"; do
    if [[ "$name" == peers ]]; then
        targets+=(ZeltonReader)
        # The peers and what drives them: a user's keys, screen grabs, their profiles' databases.
        peers=(rssguard liferea quiterss xdotool python3-pil dbus-daemon)
        missing=()
        for package in "${peers[@]}"; do
            dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
        done
        if ((${#missing[@]})); then
            as_root=()
            [[ "$(id -u)" -eq 0 ]] || as_root=(sudo)
            "${as_root[@]}" apt-get update -qq
            # QuiteRSS is measured where it installs.
            if ! DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
                without=()
                for package in "${missing[@]}"; do [[ "$package" == quiterss ]] || without+=("$package"); done
                DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${without[@]}"
            fi
        fi
    else
        targets+=("bench-$name")
    fi
done
cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-rel --target "${targets[@]}"

failed=0
feeds=build-rel/bench-feeds
logs=build-rel/bench-logs
mkdir -p "$feeds" "$logs"
feed() {
    local path="$feeds/feed-$1.xml"
    [[ -s "$path" ]] || python3 bench/make-big-feed.py "$path" --items "$1"
    echo "$path"
}

# The RSS 2.0 copies name their pictures under the peers benchmark's server.
peer_feeds() {
    local folder="$feeds/peers"
    mkdir -p "$folder"
    for items in 1000 1010; do
        [[ -s "$folder/feed-$items.rss" ]] || python3 bench/make-big-feed.py "$folder/feed-$items.xml" --items "$items" \
            --rss "$folder/feed-$items.rss" --base-url http://127.0.0.1:18421/reader/
    done
    echo "$folder"
}

run() {
    local name=$1
    shift
    local program=("build-rel/bench/bench-$name")
    # Debian's python3 has the screen grabs (python3-pil).
    [[ "$name" == peers ]] && program=(/usr/bin/python3 bench/peers.py)
    echo "== bench-$name $*"
    # The engine's diagnostics stay in the log; the figures are shown.
    if ! "${program[@]}" "$@" >"$logs/$name.txt" 2>"$logs/$name.stderr.txt"; then
        echo "bench-$name failed; see $logs/$name.txt and $logs/$name.stderr.txt" >&2
        failed=1
    fi
    cat "$logs/$name.txt"
}

for name in "${chosen[@]}"; do
    case "$name" in
        cycle-work) run cycle-work "$(feed 1000)" "$(feed 10000)" "$(feed 100000)" ;;
        reload) run reload "$(feed 100)" "$(feed 1000)" "$(feed 5000)" ;;
        memory) run memory --reloads 500 "$(feed 1000)" ;;
        visible-page) run visible-page "$(feed 5000)" "$(feed 20000)" 9 ;;
        responsiveness) run responsiveness "$(feed 1000)" ;;
        peers) run peers --reader build-rel/src/app/ZeltonReader --feeds "$(peer_feeds)" --pictures demo/obrazky \
                   --logs "$logs/peers" --rounds "${PEER_ROUNDS:-5}" --with-reader-on-opengl ;;
        *) echo "unknown benchmark: $name (known: ${all[*]})" >&2; exit 2 ;;
    esac
done

echo
echo "| result | measured | goal | |"
echo "|---|---|---|---|"
for name in "${chosen[@]}"; do
    grep '^RESULT ' "$logs/$name.txt" 2>/dev/null | awk '{ rest = ""; for (i = 9; i <= NF; ++i) rest = rest " " $i
        printf "| %s | %s | <= %s | %s%s |\n", $2, $3, $6, $8, rest }' || true
done
exit "$failed"
