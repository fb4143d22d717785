#!/usr/bin/env bash
# Installs what is missing, builds the reader and runs it against the bundled demo feed
# server on 127.0.0.1:$DEMO_PORT (8080 unless set). The reader runs from a folder of its own,
# build/demo-reader/, whose settings already hold the demo organization's ID, so nothing
# asks for it and the user's own settings stay as they are.
# With a desktop the reader runs until its window is closed or Ctrl+C; without one it runs
# on a virtual screen, saves pictures of its three pages and ends.
# ZR_VERBOSE=1 lets the web engine's diagnostics through to the console.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

say() { printf '%s\n' "$*"; }
fail() { printf 'run-demo: %s\n' "$*" >&2; exit 1; }

port=${DEMO_PORT:-8080}
if ! [[ $port =~ ^[0-9]{1,5}$ ]] || [ "$port" -lt 1 ] || [ "$port" -gt 65535 ]; then
  printf 'run-demo: DEMO_PORT must be a port number from 1 to 65535, not "%s".\n' "$port" >&2
  exit 2
fi

scripts/install-deps.sh
say "Building the reader and the demo feed server (the first build takes a few minutes)..."
# Only the two programs the demo runs; the tests are built by scripts/test.sh.
scripts/build.sh ZeltonReader zelton-feed-server

demo=$root/build/demo-reader
mkdir -p "$demo"
# A copy, not a link: the reader keeps its files beside its executable's real path.
cp build/src/app/ZeltonReader "$demo/.ZeltonReader.new"
mv -f "$demo/.ZeltonReader.new" "$demo/ZeltonReader"
if [ ! -e "$demo/Settings.ini" ]; then
  printf '[ZELTON_INFO_READER]\nID=demo\n' > "$demo/Settings.ini"
fi

# A private runtime folder, which the toolkit complains about on every start without.
runtime=${XDG_RUNTIME_DIR:-}
if [ -z "$runtime" ] || [ ! -d "$runtime" ] || [ ! -O "$runtime" ] || [ ! -w "$runtime" ] \
   || [ "$(stat -c %a "$runtime")" != 700 ]; then
  mkdir -p "$demo/runtime"
  chmod 700 "$demo/runtime"
  export XDG_RUNTIME_DIR=$demo/runtime
fi

if [ "${ZR_VERBOSE:-}" != 1 ]; then
  # Chromium's log, the web engine's start-up report and the toolkit's notes stay out of
  # the console; what the reader says goes to reader.log.
  export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:+$QTWEBENGINE_CHROMIUM_FLAGS }--log-level=3 --disable-logging"
  export QT_LOGGING_RULES="qt.webengine*=false;default.info=false;default.debug=false${QT_LOGGING_RULES:+;$QT_LOGGING_RULES}"
  reader_log=$demo/reader.log
  exec 3>"$reader_log"
else
  reader_log=
  exec 3>&2
fi

# The server starts first: a port that is taken stops the demo before the reader shows
# "Offline" without saying why.
server_log=$demo/feed-server.log
build/tools/feed-server/zelton-feed-server --port "$port" --root demo --grow > "$server_log" 2>&1 3>&- &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 150); do
  grep -q '^Listening on ' "$server_log" && break
  if ! kill -0 "$server" 2>/dev/null; then
    fail "the demo feed server cannot listen on 127.0.0.1:$port ($(head -n 1 "$server_log")); choose another port, e.g. DEMO_PORT=$((port < 65535 ? port + 1 : 8081)) scripts/run-demo.sh"
  fi
  sleep 0.1
done
grep -q '^Listening on ' "$server_log" || fail "the demo feed server did not start on 127.0.0.1:$port; see $server_log"
base_url=http://127.0.0.1:$port/reader/

say "Demo feed:     ${base_url}xml.php?id=demo (requests are logged in $server_log)"
say "Reader folder: $demo (Settings.ini, Offline_ZeltonReader.xml, tmp/)"

status=0
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  say "The reader is running; close its window or press Ctrl+C here to stop."
  "$demo/ZeltonReader" --feed-base-url "$base_url" 2>&3 || status=$?
else
  shots=$demo/screenshots
  say "No desktop found: the reader runs on a virtual screen (xvfb-run) and saves pictures of its pages."
  pictures=$(xvfb-run -a -s "-screen 0 1280x800x24" \
    "$demo/ZeltonReader" --feed-base-url "$base_url" --screenshots "$shots" 2>&3) || status=$?
  if [ "$status" -eq 0 ]; then
    say "Pictures of the news, information and contacts pages:"
    while IFS= read -r picture; do say "  $picture"; done <<<"$pictures"
  fi
fi

if [ "$status" -ne 0 ]; then
  if [ -n "$reader_log" ]; then
    fail "the reader ended with status $status: $(tail -n 1 "$reader_log") (all its messages: $reader_log)"
  fi
  exit "$status"
fi
