#!/usr/bin/env bash
# The code page 932 decoder next to glibc's iconv on the same 10 MB text.
#
#   bench/cp932_vs_iconv.sh [build-dir]     (default: build-codec-rel)
#
# Builds Cp932Bench in a Release tree if needed, writes the sample text, runs the in-process
# benchmarks (ours and iconv(3) on the same buffer), then times whole processes reading the
# file: `iconv -f CP932 -t UTF-8 FILE` and `Cp932Bench --decode-file=FILE`, with hyperfine
# when it is installed, else with a loop of `time`.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-codec-rel}
runs=${RUNS:-20}

if [[ ! -x $build/bench/Cp932Bench ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTAVOLIN_BUILD_BENCH=ON \
        -DTAVOLIN_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --target Cp932Bench -j2 >/dev/null
fi
bench=$build/bench/Cp932Bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sample=$work/sample-cp932.txt
"$bench" --write-sample="$sample"
size=$(stat -c %s "$sample")
echo "sample: $size bytes of code page 932 text"

# Both decoders must agree before their speed means anything.
iconv -f CP932 -t UTF-8 "$sample" >"$work/iconv.txt"
"$bench" --decode-file="$sample" >"$work/ours.txt"
cmp "$work/iconv.txt" "$work/ours.txt"
echo "outputs identical ($(stat -c %s "$work/ours.txt") bytes of UTF-8)"
echo

echo "== in process (Google Benchmark) =="
"$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo

echo "== whole processes, $runs runs each =="
if command -v hyperfine >/dev/null; then
    hyperfine --warmup 3 --runs "$runs" \
        "iconv -f CP932 -t UTF-8 $sample >/dev/null" \
        "$bench --decode-file=$sample >/dev/null"
else
    time_runs() {
        local label=$1
        shift
        local start end
        "$@" >/dev/null # warm the page cache
        start=$(date +%s%N)
        for ((i = 0; i < runs; i++)); do
            "$@" >/dev/null
        done
        end=$(date +%s%N)
        local ms=$(((end - start) / runs / 1000000))
        local mbs=$((size * runs * 1000 / (end - start))) # 10^6 bytes per second
        printf '%-28s %6d ms per run  %6d MB/s\n' "$label" "$ms" "$mbs"
    }
    time_runs "iconv -f CP932 -t UTF-8" iconv -f CP932 -t UTF-8 "$sample"
    time_runs "Cp932Bench --decode-file" "$bench" --decode-file="$sample"
fi
