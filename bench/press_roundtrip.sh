#!/usr/bin/env bash
# The round trip of `tavolin --press F5` against a running copy: from starting the later
# copy to its exit with the answer, after the running copy has chosen the page and started
# the button's target (a script that does nothing). Beside it, the floor: the same
# executable started for `--version`, which reads no socket and shows nothing. On a virtual
# X server with no window manager; the running copy holds a data file of 100,000 lines.
#
#   bench/press_roundtrip.sh [BUILD_DIR] [RUNS]     (BUILD_DIR defaults to build/release)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/release}")
runs=${2:-50}
launcher=$build/src/app/tavolin
[ -x "$launcher" ] || { echo "missing $launcher: build with the release preset first" >&2; exit 2; }

if [ -z "${PRESS_BENCH_INNER:-}" ]; then
    export PRESS_BENCH_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$runs"
fi

work=$(mktemp -d /tmp/tavolin-press.XXXXXX)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

cp "$launcher" "$work/tavolin"
printf '#!/bin/sh\n' >"$work/noop.sh" && chmod +x "$work/noop.sh"
awk -v target="$work/noop.sh" 'BEGIN {
    printf "[無題カテゴリ]\r\n";
    for (p = 2; p <= 4167; p++) for (s = 1; s <= 24; s++) printf "%d:%d=/bin/sh <TS>b<TE>\r\n", p, s;
    printf "1:5=%s <TS>noop<TE>\r\n", target
}' | iconv -f UTF-8 -t CP932 >"$work/tavolin.txt"

(cd "$work" && exec ./tavolin) >/dev/null 2>&1 &
pid=$!
for _ in $(seq 100); do
    (cd "$work" && ./tavolin --press F5) 2>/dev/null && break
    sleep 0.1
done

now_us() { echo $(($(date +%s%N) / 1000)); }
press=()
floor=()
for _ in $(seq "$runs"); do
    t0=$(now_us)
    (cd "$work" && ./tavolin --version >/dev/null)
    t1=$(now_us)
    (cd "$work" && ./tavolin --press F5)
    t2=$(now_us)
    floor+=($((t1 - t0)))
    press+=($((t2 - t1)))
done
stats() { # name, microseconds...
    local name=$1
    shift
    printf '%s\n' "$@" | sort -n | awk -v name="$name" '{ v[NR] = $1 }
        END { printf "%-34s median %6.1f ms   p90 %6.1f ms   max %6.1f ms   (%d runs)\n",
              name, v[int((NR + 1) / 2)] / 1000, v[int(NR * 0.9 + 0.5)] / 1000, v[NR] / 1000, NR }'
}
stats "tavolin --press F5 (round trip)" "${press[@]}"
stats "tavolin --version (floor)" "${floor[@]}"
