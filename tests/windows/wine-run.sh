#!/usr/bin/env bash
# Runs a Windows program under Wine:
#   wine-run.sh PREFIX DLL-FOLDERS PLUGIN-FOLDER PROGRAM [ARGUMENTS...]
# PREFIX is the Wine prefix, made here once (under a lock, as tests run in parallel);
# DLL-FOLDERS are the Linux folders, separated by ":", where the program finds its DLLs;
# PLUGIN-FOLDER holds Qt's plugins. Wine's own messages stay off unless WINEDEBUG is set.
set -euo pipefail
prefix=$1 dlls=$2 plugins=$3
shift 3
to_wine() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
# A UTF-8 locale of their own: in the C locale Wine cannot make Japanese file names, and the
# window titles of message boxes ("エラー") do not reach the X server as they are.
export LC_ALL=C.UTF-8
path=""
IFS=: read -r -a folders <<<"$dlls"
for folder in "${folders[@]}"; do path+="${path:+;}$(to_wine "$folder")"; done
export WINEPATH=$path QT_PLUGIN_PATH=$(to_wine "$plugins")
# Wine keeps the Unix QT_* variables from Windows programs and hands them WINEQT_* as QT_*
# instead (so that a Linux desktop's Qt settings do not reach them): the test's own
# settings, such as QT_QPA_PLATFORM=offscreen, go over under those names.
while IFS='=' read -r name _; do
    [[ $name == QT_* ]] && export "WINE$name=${!name}"
done < <(env)
if [ ! -f "$prefix/.made" ]; then
    mkdir -p "$(dirname "$prefix")"
    exec 9>"$prefix.lock"
    flock 9
    if [ ! -f "$prefix/.made" ]; then
        # The prefix links its user folders (Desktop, Documents) to those of HOME: a home of
        # its own, so that a test's temporary HOME is not linked in.
        mkdir -p "$prefix-home"
        HOME=$prefix-home "$wine" wineboot -i >/dev/null 2>&1
        # A crash ends the program with its report on standard error, not in a dialog that
        # would wait for a click until the test's time is up.
        "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1
        server=$(dirname "$wine")/wineserver
        [ -x "$server" ] || server=wineserver
        "$server" -w || true
        touch "$prefix/.made"
    fi
    exec 9>&-
fi
exec "$wine" "$@"
