#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test,
# then runs the core and platform tests again under the address and undefined-behaviour
# sanitizers. The tests that need a display run on a virtual X server; those that need D-Bus
# start their own private buses. Then the Windows build (cross-compiled) and its tests under
# Wine, where a Qt for MinGW is at hand, and each fuzzing harness for 30 seconds; the script
# ends with one summary line per suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
format=0
scripts/check-format.sh || format=$?
# No classes in a circle, no file over 600 lines, no function over 80.
structure=0
python3 scripts/check-structure.py || structure=$?
xvfb() { xvfb-run -a -s "-screen 0 1280x800x24 -noreset" "$@"; }

# The sanitizer run covers the core and platform tests, so it builds only those.
cmake --preset asan >/dev/null
mapfile -t sanitized < <(cmake --build --preset asan --target help |
    grep -oE 'test_(core|platform)_[A-Za-z0-9_]+' | grep -v '_autogen$' | sort -u)
cmake --build --preset asan -j"$jobs" --target "${sanitized[@]}"
xvfb ctest --preset asan -j"$jobs"

cmake --preset dev >/dev/null
cmake --build --preset dev -j"$jobs"
mkdir -p build
linux=0
xvfb ctest --preset dev -j"$jobs" 2>&1 | tee build/linux-tests.log || linux=$?
summary() { grep -E 'tests passed' "$1" | tail -1; }

# The Windows suite: the same sources built with MinGW-w64 and run under Wine, in a Wine
# prefix made afresh for this run. Without a Qt for MinGW (a clone on a machine without the
# toolchain archive) it is skipped and the Linux suite alone decides.
qt_mingw=${TAVOLIN_QT_MINGW:-build/qt-mingw}
windows=0
windows_line=""
if [ -f "$qt_mingw/mingw-toolchain.cmake" ]; then
    start=$(date +%s)
    rm -rf build/windows/wineprefix
    cmake --preset windows >/dev/null
    cmake --build --preset windows -j"$jobs"
    xvfb ctest --preset windows -j"$jobs" 2>&1 | tee build/windows-tests.log || windows=$?
    # Ends what a failed test may have left running in this run's prefix.
    WINEPREFIX=$PWD/build/windows/wineprefix wineserver -k 2>/dev/null || true
    windows_line="Windows suite (Wine): $(summary build/windows-tests.log) in $(($(date +%s) - start)) s"
else
    windows_line="Windows suite skipped: no Qt for MinGW in $qt_mingw (scripts/install-deps.sh unpacks it from ../shared/toolchains/, or set TAVOLIN_QT_MINGW)"
fi

# The fuzzing harnesses, each for a bounded time on a copy of its corpus.
fuzz=0
start=$(date +%s)
scripts/fuzz.sh 30 || fuzz=$?
fuzz_line="Fuzzing: $(ls fuzz/corpus | wc -l) harnesses, 30 s each, $([ "$fuzz" -eq 0 ] && echo "no findings" || echo "FINDINGS (see above)") in $(($(date +%s) - start)) s"

echo "Linux suite: $(summary build/linux-tests.log)"
echo "$windows_line"
echo "$fuzz_line"
[ "$linux" -eq 0 ] && [ "$windows" -eq 0 ] && [ "$fuzz" -eq 0 ] && [ "$format" -eq 0 ] &&
    [ "$structure" -eq 0 ]
