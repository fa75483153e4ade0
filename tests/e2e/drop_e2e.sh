#!/usr/bin/env bash
# End to end: real X11 drags (XDND) from a small Qt drag source onto the launcher under a
# window manager: files dropped on button 5 and on the background become buttons, files
# dropped with Shift on a program's button are passed to it one by one, and the data file
# holds the buttons after close.
#
#   drop_e2e.sh /path/to/tavolin /path/to/drag_source
set -uo pipefail

binary=${1:?usage: drop_e2e.sh /path/to/tavolin /path/to/drag_source}
source_binary=${2:?usage: drop_e2e.sh /path/to/tavolin /path/to/drag_source}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary"

files=$work/files
mkdir -p "$files"
for name in one two 'three $(touch x)' 'four "quoted"'; do echo "$name" >"$files/$name"; done
# A program whose button gets files with Shift: it records each argument on its own line.
printf '#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a" >> "%s"; done\n' "$work/arguments" \
    >"$files/record.sh"
chmod +x "$files/record.sh"
printf '[無題カテゴリ]\r\n1:12=%s <TS>record<TE>\r\n' "$files/record.sh" |
    iconv -f UTF-8 -t CP932 >"$app/tavolin.txt"

pid=$(start)
wait_for 15 has_window "$pid"
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"
xdotool windowactivate --sync "$wid" >/dev/null 2>&1
sleep 0.5
read -r lx ly lw lh < <(geometry_of "$wid")
echo "launcher at $lx,$ly ${lw}x$lh"

button() { button_at "$1" "$lx" "$ly"; }

full_size() { local x y w h; read -r x y w h < <(geometry_of "$wid"); [ "$w" = "$lw" ] && [ "$h" = "$lh" ]; }

drag() { # keys x y files...: drags the files from a new source window to x,y
    local keys=$1 x=$2 y=$3 step source_pid
    shift 3
    "$source_binary" 600 400 "$@" >"$work/drag.out" 2>>"$work/drag.log" &
    source_pid=$!
    echo "$source_pid" >>"$work/pids"
    wait_for 10 bash -c "xdotool search --onlyvisible --name '^tavolin-drag-source$' >/dev/null 2>&1"
    sleep 0.3
    xdotool mousemove 660 460 sleep 0.2 mousedown 1
    [ "$keys" = shift ] && xdotool keydown shift
    # Over the clock strip first, as a user would: it brings the launcher forward in full.
    local sx=$((lx + 80)) sy=$((ly + 20))
    for step in 1 2 3 4 5 6; do
        xdotool mousemove $((660 + (sx - 660) * step / 6)) $((460 + (sy - 460) * step / 6)) sleep 0.15
    done
    wait_for 5 full_size
    for step in 1 2 3; do
        xdotool mousemove $((sx + (x - sx) * step / 3)) $((sy + (y - sy) * step / 3)) sleep 0.15
    done
    xdotool sleep 0.4 mouseup 1
    # Shift is let go only once the drop is done (the source ends when the target has
    # answered): the launcher reads the keys held when the drop reaches it.
    wait_for 10 bash -c "! kill -0 $source_pid 2>/dev/null"
    [ "$keys" = shift ] && xdotool keyup shift
    sleep 0.3
}

# While the source is active the launcher shows its clock strip; the drag brings it forward.
read -r x y < <(button 5)
drag none "$x" "$y" "$files/one" "$files/two"
# Qt's drag source reports 0 for ignored, 1 for copy, 2 for move; only a move would delete.
check "the source is not told to move its files ($(cat "$work/drag.out"))" grep -qx '[01]' "$work/drag.out"
check "and they are still there" test -f "$files/one" -a -f "$files/two"
drag none $((lx + 262)) $((ly + 8)) "$files/three \$(touch x)"
read -r x y < <(button 12)
drag shift "$x" "$y" "$files/four \"quoted\"" "$files/one"
expected=$(printf '%s\n' "$files/four \"quoted\"" "$files/one")
check "Shift+drop on the program's button passes each file as one argument" \
    wait_for 10 bash -c "[ \"\$(cat '$work/arguments' 2>/dev/null)\" = \"\$1\" ]" _ "$expected"
check "nothing dropped ran a shell" test ! -e "$app/x" -a ! -e "$files/x" -a ! -e "$HOME/x"

wmctrl -i -c "$wid"
wait_for 10 bash -c "! kill -0 $pid 2>/dev/null"
data=$(iconv -f CP932 -t UTF-8 <"$app/tavolin.txt" | tr -d '\r')
check "button 5 holds the first file" grep -qxF "1:5=$files/one <TS>one<TE>" <<<"$data"
check "the second went to the next empty button" grep -qxF "1:6=$files/two <TS>two<TE>" <<<"$data"
check "the background drop took the first empty button" \
    grep -qxF "1:1=$files/three \$(touch x) <TS>three \$(touch x)<TE>" <<<"$data"
check "the program's button is unchanged" grep -qxF "1:12=$files/record.sh <TS>record<TE>" <<<"$data"
[ "$failed" -ne 0 ] && { echo "$data"; cat "$work/arguments" 2>/dev/null; }

e2e_finish
