#!/usr/bin/env bash
# Installs what is missing, builds the reader and runs it against the bundled demo feed
# server on 127.0.0.1:8080. Type "demo" when the reader asks for the organization ID.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

build/tools/feed-server/zelton-feed-server --port 8080 --root demo &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  build/src/app/ZeltonReader
else
  echo "No desktop found: running the reader on a virtual screen (xvfb-run)."
  xvfb-run -a -s "-screen 0 1280x800x24" build/src/app/ZeltonReader
fi
