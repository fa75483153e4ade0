#!/usr/bin/env bash
# The first opening of the options dialog, the button menu and the category menu on the
# 100,000-line data file, each in a fresh process (FirstOpenBench), as medians of RUNS runs.
#
#   bench/first_open.sh [BUILD_DIR] [RUNS]     (BUILD_DIR defaults to build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/release}")
runs=${2:-11}
bench=$build/bench/FirstOpenBench
source "$root/bench/bench_lib.sh"
bench_setup FIRST_OPEN_INNER tavolin-first-open "$build" "$runs" "$bench"
for what in options button-menu category-menu; do
    for _ in $(seq "$runs"); do
        "$bench" "$what" "$work/tavolin.txt" | awk '{ print $2 }'
    done | sort -n | awk -v what="$what" '{ v[NR] = $1 } END {
        printf "%-14s first opening %7.2f ms (median of %d)\n", what, v[int((NR + 1) / 2)], NR }'
done
