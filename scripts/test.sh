#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test.
# The tests that need a display run on a virtual X server; those that need D-Bus start
# their own private buses.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j"$(nproc)"
xvfb-run -a -s "-screen 0 1280x800x24" ctest --preset dev -j"$(nproc)"
