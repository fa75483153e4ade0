#!/usr/bin/env bash
# End to end: the auxiliary window. An http:// address typed in the address bar opens with
# the desktop's handler for its scheme (a recording handler registered in a private
# mimeapps.list) and stays in the history; a memo being written when the session ends the
# program (SIGTERM) or Ctrl+C does (SIGINT) is kept in Memo.txt beside the program; with
# files it cannot write, SIGTERM still ends it, the errors on standard error.
#
#   auxwindow_e2e.sh /path/to/tavolin
set -uo pipefail

binary=${1:?usage: auxwindow_e2e.sh /path/to/tavolin}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary"

printf '[Window]\r\nWinPos=1\r\n' >"$app/tavolin.ini"

# The recording handler of http:// addresses: it writes its arguments, one a line.
mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
cat >"$work/record-web" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$@" >"$work/web.part" && mv "$work/web.part" "$work/web.out"
SCRIPT
chmod 755 "$work/record-web"
cat >"$XDG_DATA_HOME/applications/tavolin-e2e-web.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Recording browser
Exec=$work/record-web %u
MimeType=x-scheme-handler/http;
ENTRY
printf '[Default Applications]\nx-scheme-handler/http=tavolin-e2e-web.desktop\n' \
    >"$XDG_CONFIG_HOME/mimeapps.list"

activate() { xdotool windowactivate --sync "$1" >/dev/null 2>&1; wait_for 5 bash -c "[ \"\$(xdotool getactivewindow)\" = $1 ]"; }
# The program's visible windows other than the launcher (a title search cannot tell the
# Japanese captions apart under every locale).
aux_window() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$wid" | head -1; }
has_aux() { [ -n "$(aux_window)" ]; }
no_aux() { [ -z "$(aux_window)" ]; }
caption_of() { xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed 's/^[^"]*"//; s/"$//'; }

pid=$(start)
wait_for 15 test -n "$(window_of "$pid")"
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"

# --- A: the address bar -----------------------------------------------------------------
activate "$wid"
xdotool key a
wait_for 10 has_aux
adr=$(aux_window)
check "A opens the address bar ($(caption_of "$adr"))" test "$(caption_of "$adr")" = アドレスバー
address='http://example.invalid/a?b=1&c=$(touch x)'
xdotool type --delay 20 "$address"
xdotool key Return
wait_for 10 test -e "$work/web.out"
check "the address went to the http handler as typed ($(cat "$work/web.out" 2>/dev/null))" \
    test "$(cat "$work/web.out" 2>/dev/null)" = "$address"
check "nothing typed reached a shell" test ! -e "$app/x" -a ! -e "$HOME/x"
xdotool key Escape
wait_for 10 no_aux
check "Esc closes the address bar" no_aux
wait_for 5 grep -q '^0=' "$app/tavolin.ini"
check "the address is the newest history entry" grep -qF "0=$address" "$app/tavolin.ini"

# --- N: the memo, and the program ended while it is open ----------------------------------
# By the session (SIGTERM) or by Ctrl+C in its terminal (SIGINT): both close it as the user
# would, and the memo being written is kept.
ended() { ! alive "$pid"; }
for signal in TERM INT; do
    if ended; then
        rm -f "$app/Memo.txt"
        pid=$(start)
        wait_for 15 has_window "$pid"
        wid=$(window_of "$pid")
    fi
    activate "$wid"
    xdotool key n
    wait_for 10 has_aux
    check "N opens the memo" test "$(caption_of "$(aux_window)")" = メモ
    xdotool type --delay 20 "kept at the end"
    sleep 0.3
    kill -"$signal" "$pid"
    wait_for 10 ended
    check "SIG$signal ends the program" ended
    check "the memo is kept beside the program" \
        test "$(tr -d '\r' <"$app/Memo.txt" 2>/dev/null)" = "kept at the end"
    check "and the memo window's place in [Mem]" grep -q '^\[Mem\]' "$app/tavolin.ini"
done

# --- the files cannot be written when the session ends it -----------------------------------
# Nobody may be there to click an error away: the errors go to standard error and the
# program ends. A working file of the category editor that a killed copy left is removed.
printf 'left by a killed copy\r\n' >"$app/tavolin.tmp"
pid=$(start)
wait_for 15 has_window "$pid"
check "the next start removes the category editor's working file" test ! -e "$app/tavolin.tmp"
for file in tavolin.txt tavolin.ini; do
    rm -f "$app/$file"
    mkdir "$app/$file"
done
: >"$work/stderr.log"
kill -TERM "$pid"
wait_for 10 ended
check "SIGTERM with files that cannot be written ends the program without a click" ended
check "and says what could not be saved on standard error" test -s "$work/stderr.log"
rmdir "$app/tavolin.txt" "$app/tavolin.ini"

e2e_finish
