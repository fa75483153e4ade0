#!/usr/bin/env bash
# Processor time of the idle launcher over a minute, with the information panel sampling at
# its default interval (1 s): utime + stime from /proc/PID/stat before and after, as a share
# of one core. Beside it the same for a bare Qt window with 24 icon buttons (BareWindow),
# which samples nothing. Both run on a virtual X server without a window manager.
#
#   bench/idle_cpu.sh [BUILD_DIR] [SECONDS]     (BUILD_DIR defaults to build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/release}")
seconds=${2:-60}
launcher=$build/src/app/tavolin
bare=$build/bench/BareWindow
for f in "$launcher" "$bare"; do
    [ -x "$f" ] || { echo "missing $f: build with the release preset first" >&2; exit 2; }
done

if [ -z "${IDLE_BENCH_INNER:-}" ]; then
    export IDLE_BENCH_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$seconds"
fi

work=$(mktemp -d /tmp/tavolin-idle.XXXXXX)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait; rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
cp "$launcher" "$work/tavolin"
ticks_per_second=$(getconf CLK_TCK)

# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }

measure() { # name, pid
    sleep 5 # start-up is over
    local before after
    before=$(cpu_ticks "$2")
    sleep "$seconds"
    after=$(cpu_ticks "$2")
    awk -v n="$1" -v t=$((after - before)) -v hz="$ticks_per_second" -v s="$seconds" \
        'BEGIN { printf "%-12s %6d ticks in %d s = %.3f%% of one core\n", n, t, s, 100 * t / (hz * s) }'
}

(cd "$work" && exec ./tavolin) &
pids+=($!)
measure Tavolin "${pids[-1]}"
"$bare" &
pids+=($!)
measure BareWindow "${pids[-1]}"
