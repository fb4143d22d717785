#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, then every fuzz target
# for a short while (FUZZ_SECONDS, 30 by default) so that a regression shows as a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
ctest --test-dir build --output-on-failure
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
