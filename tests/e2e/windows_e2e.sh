#!/usr/bin/env bash
# End to end on Windows: the cross-built tavolin.exe copied into a temporary folder with its
# own data file, started under Wine on the X display (a virtual one under scripts/test.sh)
# with Qt's windows platform plugin, driven with keys and by later copies' --press, checked
# through the batch file it starts and the files it leaves at close.
#
#   windows_e2e.sh /path/to/tavolin.exe WINE-RUN PREFIX DLL-FOLDERS PLUGIN-FOLDER
# (the last four are the test's Wine runner and its arguments, as CMake passes them).
# TAVOLIN_E2E_SHOT=file.png keeps a picture of the screen with the window on it.
set -uo pipefail

binary=${1:?usage: windows_e2e.sh tavolin.exe WINE-RUN PREFIX DLLS PLUGINS}
shift
wine_run=("$@")
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary" import
rm -f "$app/tavolin"
cp "$binary" "$app/tavolin.exe"
to_wine() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }

mkdir -p "$app/targets"
# The batch file writes its folder and its first parameter into a marker.
printf '@echo off\r\necho %%CD%%> "%s"\r\n' "$(to_wine "$work/marker-F5")" >"$app/targets/F5.bat"
# Line ends LF alone: the copy written at close has CR LF, so a rewrite shows.
printf '[無題カテゴリ]\n1:5=%s <TS>メモ帳<TE>\n' "$(to_wine "$app/targets/F5.bat")" |
    iconv -f UTF-8 -t CP932 >"$app/tavolin.txt"
cp "$app/tavolin.txt" "$work/txt.before"

window() { xdotool search --onlyvisible --name '^Tavolin$' 2>/dev/null | head -1; }
(cd "$app" && exec "${wine_run[@]}" "$app/tavolin.exe") >>"$work/stderr.log" 2>&1 &
pid=$!
echo "$pid" >>"$work/pids"
visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
wait_for 90 bash -c "xdotool search --onlyvisible --name '^(Tavolin|エラー)\$' >/dev/null 2>&1"
# Wine has no figures of the session's GDI and USER objects: the launcher says so at start,
# in its error box, and runs on.
if visible '^エラー$'; then
    box=$(xdotool search --onlyvisible --name '^エラー$' | head -1)
    echo "at start: the error box (Wine gives no GDI and USER figures)"
    xdotool windowactivate --sync "$box" 2>/dev/null
    xdotool key --clearmodifiers Return
fi
wait_for 30 test -n "$(window)"
wid=$(window)
check "the window shows under Wine" test -n "$wid"
[ -n "$wid" ] || { e2e_finish; exit 1; }
sleep 2
if [ -n "${TAVOLIN_E2E_SHOT:-}" ]; then
    import -window root "$TAVOLIN_E2E_SHOT"
fi

xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 0.5
xdotool key --clearmodifiers F5
check "F5 runs the batch file of slot 5" wait_for 20 test -s "$work/marker-F5"
check "in the batch file's folder" \
    grep -qiF "$(to_wine "$app/targets")" <(tr -d '\r' <"$work/marker-F5")

# Later copies hand their presses to the running one (through its pipe, which only this user
# and session can reach) and end with its answer, every time.
rm -f "$work/marker-F5"
failed=0
for i in $(seq 10); do
    (cd "$app" && "${wine_run[@]}" "$app/tavolin.exe" --press F5) >>"$work/stderr.log" 2>&1 ||
        failed=$((failed + 1))
done
check "ten presses from later copies all end with 0 ($failed did not)" test "$failed" = 0
check "and run slot 5" wait_for 20 test -s "$work/marker-F5"

wmctrl -i -c "$wid"
check "closing the window ends the program" wait_for 30 bash -c "! kill -0 $pid 2>/dev/null"
check "the settings file is written beside the executable" grep -q '^Width=[0-9]' "$app/tavolin.ini"
data=$(iconv -f CP932 -t UTF-8 <"$app/tavolin.txt" | tr -d '\r')
check "the data file is code page 932 with the page's button" \
    grep -qxF "1:5=$(to_wine "$app/targets/F5.bat") <TS>メモ帳<TE>" <<<"$data"
check "under its category line" test "$(head -1 <<<"$data")" = "[無題カテゴリ]"
check "and left as it was at close, where nothing changed" cmp -s "$work/txt.before" "$app/tavolin.txt"
check "no error box at close" bash -c "! xdotool search --name '^エラー\$' >/dev/null 2>&1"
e2e_finish
