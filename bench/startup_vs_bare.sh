#!/usr/bin/env bash
# Start-up time and idle memory (resident and proportional set size) of the launcher against a
# bare Qt window with 24 icon buttons (BareWindow), measured side by side on a virtual X server without a window
# manager, the three taking turns. The launcher starts in a temporary folder with a data file of 100,000 button
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

# The three programs take turns, one start each per round and each round led by the next, so
# that a slow spell of the machine, or a place in the order, weighs on all of them alike.
start_one() {
    case $1 in
    bare) "$timer" BareWindow 1 1500 -- "$bare" ;;
    text) "$timer" BareWindow 1 1500 -- "$bare" --japanese-text ;;
    launcher) (cd "$work" && "$timer" Tavolin 1 1500 -- ./tavolin) ;;
    esac | grep '^run' >>"$work/$1.runs"
}
: >"$work/bare.runs"; : >"$work/text.runs"; : >"$work/launcher.runs"
programs=(bare text launcher)
for ((run = 1; run <= runs; run++)); do
    for ((k = 0; k < 3; k++)); do
        start_one "${programs[(run + k) % 3]}"
    done
    echo "round $run: bare $(awk '{print $5}' "$work/bare.runs" | tail -1) ms," \
        "with Japanese text $(awk '{print $5}' "$work/text.runs" | tail -1) ms," \
        "launcher $(awk '{print $5}' "$work/launcher.runs" | tail -1) ms" >&2
done
# The median of one field of a program's runs ("run N: shown after MS ms, idle RSS KIB KiB,
# PSS KIB KiB": 5, 9 and 12).
median() { awk -v f="$2" '{print $f}' "$work/$1.runs" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
read -r bare_ms bare_kib bare_pss <<<"$(median bare 5) $(median bare 9) $(median bare 12)"
read -r text_ms text_kib text_pss <<<"$(median text 5) $(median text 9) $(median text 12)"
read -r launcher_ms launcher_kib launcher_pss <<<"$(median launcher 5) $(median launcher 9) $(median launcher 12)"
echo
printf "%-28s %10s %14s %14s\n" "" "start (ms)" "idle RSS (KiB)" "idle PSS (KiB)"
printf "%-28s %10s %14s %14s\n" "BareWindow" "$bare_ms" "$bare_kib" "$bare_pss"
printf "%-28s %10s %14s %14s\n" "BareWindow + Japanese text" "$text_ms" "$text_kib" "$text_pss"
printf "%-28s %10s %14s %14s\n" "Tavolin, 100,000 lines" "$launcher_ms" "$launcher_kib" "$launcher_pss"
awk -v a="$launcher_ms" -v b="$bare_ms" -v c="$launcher_kib" -v d="$bare_kib" -v e="$launcher_pss" -v f="$bare_pss" \
    'BEGIN { printf "against the bare window: start %.2fx, RSS %.2fx, PSS %.2fx\n", a / b, c / d, e / f }'
awk -v a="$launcher_ms" -v b="$text_ms" -v c="$launcher_kib" -v d="$text_kib" -v e="$launcher_pss" -v f="$text_pss" \
    'BEGIN { printf "against the bare window with Japanese text: start %.2fx (target 1.1x), RSS %.2fx (target 1.1x), PSS %.2fx\n", a / b, c / d, e / f }'
