#!/usr/bin/env bash
# The options dialog on the 100,000-line data file of bench/startup_vs_bare.sh, side by side
# with its yardsticks on the same file and the same virtual X server:
#   opening the dialog on "ボタン詳細" (the command to the dialog shown) against the
#   launcher's own start-up (the process started to its window mapped): target at most 3x;
#   OK (the settings and the whole data file written) against `cp` + `sync`: at most 2x.
#
#   bench/options_dialog_vs_startup.sh [BUILD_DIR] [RUNS]   (BUILD_DIR defaults to build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/release}")
runs=${2:-7}
timer=$build/bench/StartupTimer
dialog=$build/bench/OptionsDialogBench
launcher=$build/src/app/tavolin
source "$root/bench/bench_lib.sh"
bench_setup OPTIONS_BENCH_INNER tavolin-options "$build" "$runs" "$timer" "$dialog" "$launcher"
cp "$work/tavolin.txt" "$work/data.txt"

echo "--- Tavolin start-up (100,000 button lines)"
launcher_out=$(cd "$work" && "$timer" Tavolin "$runs" 500 -- ./tavolin | tee /dev/stderr | tail -1)
launcher_ms=$(awk '{print $2}' <<<"$launcher_out")
echo "--- the options dialog on the same file"
dialog_out=$("$dialog" "$runs" "$work/data.txt" 2>/dev/null | tee /dev/stderr)
open_ms=$(awk '/options dialog open/ {print $4}' <<<"$dialog_out")
echo
awk -v o="$open_ms" -v s="$launcher_ms" \
    'BEGIN { printf "opening on ボタン詳細: %.1f ms = %.2fx the launcher start-up of %.1f ms (target 3x)\n", o, o / s, s }'
