#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test,
# then runs the core and platform tests again under the address and undefined-behaviour
# sanitizers. The tests that need a display run on a virtual X server; those that need D-Bus
# start their own private buses. Last, each fuzzing harness runs for 30 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
xvfb() { xvfb-run -a -s "-screen 0 1280x800x24 -noreset" "$@"; }

# The sanitizer run covers the core and platform tests, so it builds only those.
cmake --preset asan >/dev/null
mapfile -t sanitized < <(cmake --build --preset asan --target help |
    grep -oE 'test_(core|platform)_[A-Za-z0-9_]+' | grep -v '_autogen$' | sort -u)
cmake --build --preset asan -j"$jobs" --target "${sanitized[@]}"
xvfb ctest --preset asan -j"$jobs"

cmake --preset dev >/dev/null
cmake --build --preset dev -j"$jobs"
xvfb ctest --preset dev -j"$jobs"

scripts/fuzz.sh 30
