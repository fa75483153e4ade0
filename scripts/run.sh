#!/usr/bin/env bash
# Installs what is missing, builds the launcher and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target tavolin -j"$(nproc)"
exec build/release/src/app/tavolin "$@"
