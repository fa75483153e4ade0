#!/usr/bin/env bash
# Builds the fuzzing harnesses (the fuzz preset: clang, libFuzzer, address and
# undefined-behaviour sanitizers) and runs each for a bounded time on a copy of its seed
# corpus in fuzz/corpus/<harness>/, so the repository's corpus never grows here. Fails on the
# first harness that finds a crash or a broken property; the input that did it is kept in
# build/fuzz/findings/.
#
#   scripts/fuzz.sh [seconds per harness, default 30] [harness ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

bin=build/fuzz/fuzz
findings=build/fuzz/findings
if [ $# -gt 0 ]; then
    harnesses=("$@")
else
    mapfile -t harnesses < <(find fuzz/corpus -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The harnesses' scratch files go there too, also those of a harness that crashed.
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR" "$findings"
failed=()
for h in "${harnesses[@]}"; do
    cp -r "fuzz/corpus/$h" "$work/$h"
    echo "== fuzz_$h for ${seconds}s"
    if ! "$bin/fuzz_$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$findings/$h-" "$work/$h" \
            >"$work/$h.log" 2>&1; then
        tail -n 40 "$work/$h.log"
        failed+=("$h")
        continue
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$work/$h.log" || true
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing found faults in: ${failed[*]} (inputs in $findings/)" >&2
    exit 1
fi
