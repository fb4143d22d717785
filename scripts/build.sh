#!/usr/bin/env bash
# Configures and builds the reader, its tools and its tests in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja ${FEED_BASE_URL:+-DFEED_BASE_URL="$FEED_BASE_URL"} >/dev/null
cmake --build build
