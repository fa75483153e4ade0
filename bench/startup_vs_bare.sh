#!/usr/bin/env bash
# Start-up time and idle memory (resident and proportional set size) of the launcher against a
# bare Qt window with 24 icon buttons (BareWindow), measured side by side on a virtual X server without a window
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

# Fields of the timer's median line: start (ms), RSS and PSS (KiB).
read -r bare_ms bare_kib bare_pss < <(awk '{print $2, $7, $11}' <<<"$bare_out")
read -r text_ms text_kib text_pss < <(awk '{print $2, $7, $11}' <<<"$text_out")
read -r launcher_ms launcher_kib launcher_pss < <(awk '{print $2, $7, $11}' <<<"$launcher_out")
echo
printf "%-28s %10s %14s %14s\n" "" "start (ms)" "idle RSS (KiB)" "idle PSS (KiB)"
printf "%-28s %10s %14s %14s\n" "BareWindow" "$bare_ms" "$bare_kib" "$bare_pss"
printf "%-28s %10s %14s %14s\n" "BareWindow + Japanese text" "$text_ms" "$text_kib" "$text_pss"
printf "%-28s %10s %14s %14s\n" "Tavolin, 100,000 lines" "$launcher_ms" "$launcher_kib" "$launcher_pss"
awk -v a="$launcher_ms" -v b="$bare_ms" -v c="$launcher_kib" -v d="$bare_kib" -v e="$launcher_pss" -v f="$bare_pss" \
    'BEGIN { printf "against the bare window: start %.2fx, RSS %.2fx, PSS %.2fx\n", a / b, c / d, e / f }'
awk -v a="$launcher_ms" -v b="$text_ms" -v c="$launcher_kib" -v d="$text_kib" -v e="$launcher_pss" -v f="$text_pss" \
    'BEGIN { printf "against the bare window with Japanese text: start %.2fx (target 1.1x), RSS %.2fx (target 1.1x), PSS %.2fx\n", a / b, c / d, e / f }'
