#!/usr/bin/env bash
# Start-up time and idle memory of the launcher against a bare Qt window with 24 icon
# buttons (BareWindow), measured side by side on a virtual X server without a window
# manager. The launcher starts in a temporary folder with a data file of 100,000 button
# lines (the page on screen at the end of its category, so the whole file is read).
#
#   bench/startup_vs_bare.sh [BUILD_DIR] [RUNS]     (BUILD_DIR defaults to build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/release}")
runs=${2:-15}
timer=$build/bench/StartupTimer
bare=$build/bench/BareWindow
launcher=$build/src/app/tavolin
source "$root/bench/bench_lib.sh"
bench_setup STARTUP_BENCH_INNER tavolin-startup "$build" "$runs" "$timer" "$bare" "$launcher"
lines=$(grep -c ':' "$work/tavolin.txt")
echo "data file: $lines button lines, $(du -k "$work/tavolin.txt" | cut -f1) KiB"

echo "--- BareWindow (24 icon buttons)"
bare_out=$("$timer" BareWindow "$runs" 1500 -- "$bare" | tee /dev/stderr | tail -1)
echo "--- BareWindow with one line of Japanese text"
text_out=$("$timer" BareWindow "$runs" 1500 -- "$bare" --japanese-text | tee /dev/stderr | tail -1)
echo "--- Tavolin (100,000 button lines)"
launcher_out=$(cd "$work" && "$timer" Tavolin "$runs" 1500 -- ./tavolin | tee /dev/stderr | tail -1)

bare_ms=$(awk '{print $2}' <<<"$bare_out")
bare_kib=$(awk '{print $7}' <<<"$bare_out")
text_ms=$(awk '{print $2}' <<<"$text_out")
text_kib=$(awk '{print $7}' <<<"$text_out")
launcher_ms=$(awk '{print $2}' <<<"$launcher_out")
launcher_kib=$(awk '{print $7}' <<<"$launcher_out")
echo
printf "%-28s %10s %12s\n" "" "start (ms)" "idle RSS (KiB)"
printf "%-28s %10s %12s\n" "BareWindow" "$bare_ms" "$bare_kib"
printf "%-28s %10s %12s\n" "BareWindow + Japanese text" "$text_ms" "$text_kib"
printf "%-28s %10s %12s\n" "Tavolin, 100,000 lines" "$launcher_ms" "$launcher_kib"
awk -v a="$launcher_ms" -v b="$bare_ms" -v c="$launcher_kib" -v d="$bare_kib" \
    'BEGIN { printf "ratio: start %.2fx (target 1.3x), idle memory %.2fx (target 1.2x)\n", a / b, c / d }'
awk -v a="$launcher_ms" -v b="$text_ms" -v c="$launcher_kib" -v d="$text_kib" \
    'BEGIN { printf "against the bare window with Japanese text: start %.2fx, idle memory %.2fx\n", a / b, c / d }'
