#!/usr/bin/env bash
# Configures and builds in build/ the targets named (scripts/build.sh ZeltonReader), or
# everything, the tests included, when none is named.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja ${FEED_BASE_URL:+-DFEED_BASE_URL="$FEED_BASE_URL"} >/dev/null
cmake --build build ${1:+--target "$@"}
