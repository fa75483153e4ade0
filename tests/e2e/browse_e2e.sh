#!/usr/bin/env bash
# End to end: an empty button pressed with its function key opens the browse dialog; a file
# chosen there (its folder and name typed, then Enter) fills the button, and the data file
# holds it; Escape closes the dialog and leaves the next button empty, and the launcher is the
# active window again at its full size (it shrinks to its clock while another is active).
#
#   browse_e2e.sh /path/to/tavolin
set -uo pipefail

binary=${1:?usage: browse_e2e.sh /path/to/tavolin}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary"

mkdir -p "$app/docs"
echo "quarterly figures" >"$app/docs/report 2024.txt"
echo "notes" >"$app/docs/notes.md"
printf '[無題カテゴリ]\r\n' | iconv -f UTF-8 -t CP932 >"$app/tavolin.txt"
printf '[Window]\r\nNomalMode=0\r\nTaRMode=1\r\n' >"$app/tavolin.ini"

pid=$(start)
launcher_shown() { [ -n "$(window_of "$pid")" ]; }
wait_for 15 launcher_shown
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"

# The dialog by its title; xdotool's own name search does not match Japanese text.
dialog_of() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$1" --class tavolin 2>/dev/null); do
        xprop -id "$w" _NET_WM_NAME 2>/dev/null | grep -q 'フォルダ / ファイルの参照' && echo "$w" && return
    done
}
# Checked anew at each try of wait_for.
dialog_shown() { [ -n "$(dialog_of "$pid")" ]; }
dialog_gone() { [ -z "$(dialog_of "$pid")" ]; }
data() { iconv -f CP932 -t UTF-8 <"$app/tavolin.txt" | tr -d '\r'; }

# Presses a function key on the launcher and waits for the browse dialog; prints its id.
open_dialog() {
    xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
    sleep 0.3
    xdotool key --clearmodifiers "$1"
    wait_for 10 dialog_shown
    local dialog
    dialog=$(dialog_of "$pid")
    [ -n "$dialog" ] && xdotool windowactivate --sync "$dialog" 2>/dev/null
    sleep 0.3
    echo "$dialog"
}

# --- F3 on an empty button: a file chosen by typing ----------------------------------------
dialog=$(open_dialog F3)
check "F3 on an empty button opens the browse dialog" test -n "$dialog"
xdotool key --clearmodifiers alt+p ctrl+a
xdotool type --delay 20 "$app/docs"
xdotool key --clearmodifiers alt+f ctrl+a
xdotool type --delay 20 "report 2024.txt"
xdotool key --clearmodifiers Return
check "Enter chooses the file and closes the dialog" wait_for 10 dialog_gone
check "the page is saved with the file on button 3" wait_for 10 bash -c \
    "iconv -f CP932 -t UTF-8 <'$app/tavolin.txt' | tr -d '\r' | grep -qxF '1:3=$app/docs/report 2024.txt <TS>report 2024.txt<TE>'"

# --- F4: Escape closes the dialog and registers nothing ------------------------------------
dialog=$(open_dialog F4)
check "F4 opens the browse dialog too" test -n "$dialog"
xdotool key --clearmodifiers Escape
check "Escape closes it" wait_for 10 dialog_gone
check "the launcher keeps running" alive "$pid"

# --- five rounds of F1 and Escape: the launcher comes back active and full-sized each time,
# so the next F1 reaches it without a click -------------------------------------------------
bring_forward "$wid"
full=$(size_of "$wid")
launcher_active() { active_at "$wid" "$full"; }
for round in 1 2 3 4 5; do
    xdotool key --clearmodifiers F1
    check "round $round: F1 opens the browse dialog" wait_for 10 dialog_shown
    xdotool key --clearmodifiers Escape
    check "round $round: Escape closes it" wait_for 10 dialog_gone
    check "round $round: the launcher is active and full-sized again" wait_for 5 launcher_active
done

# --- close: the data file holds the button ------------------------------------------------
wmctrl -i -c "$wid"
wait_for 10 bash -c "! { [ -r /proc/$pid/stat ] && ! grep -q '^[0-9]* (.*) Z ' /proc/$pid/stat; }"
check "closing the window ends the program" bash -c "! { [ -r /proc/$pid/stat ] && ! grep -q '^[0-9]* (.*) Z ' /proc/$pid/stat; }"
check "the data file holds button 3 after close" \
    grep -qxF "1:3=$app/docs/report 2024.txt <TS>report 2024.txt<TE>" <(data)
check "and nothing on button 4" bash -c "! grep -q '^1:4=' <(iconv -f CP932 -t UTF-8 <'$app/tavolin.txt')"

e2e_finish
