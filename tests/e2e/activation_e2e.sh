#!/usr/bin/env bash
# End to end: the launcher in clock-and-information mode shrinks when another program takes
# the focus and grows back when it is activated again, by a click and by the window manager,
# keeping its bottom-right corner in the work area's corner each time. The click that
# activates the shrunken window does nothing else, so the next function key launches; after
# a dialog the launcher is the active window again at its full size, though a window lay
# below it.
#
#   activation_e2e.sh /path/to/tavolin
#   TAVOLIN_E2E_WM=xfwm4 activation_e2e.sh /path/to/tavolin   (under xfwm4 instead of openbox)
set -uo pipefail

binary=${1:?usage: activation_e2e.sh /path/to/tavolin}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary"

printf '[Window]\r\nWinPos=3\r\nTaRMode=1\r\n' >"$app/tavolin.ini"

pid=$(start)
wait_for 15 has_window "$pid"
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"
read -r wa_x wa_y wa_w wa_h < <(work_area)
corner=$((wa_x + wa_w)),$((wa_y + wa_h))
bottom_right() { local x y w h; read -r x y w h < <(geometry_of "$wid"); echo "$((x + w)),$((y + h))"; }
size() { local x y w h; read -r x y w h < <(geometry_of "$wid"); echo "${w}x$h"; }
wait_for 10 bash -c "xdotool getactivewindow 2>/dev/null | grep -qx $wid"
full=$(size)
echo "active size: $full"
check "placed in the work area's corner $corner ($(bottom_right))" test "$(bottom_right)" = "$corner"

# The size changes a moment after the focus does; wait for it to settle.
settle() { sleep 0.5; }
other_active() { # name: brings another window forward and waits for the launcher to shrink
    local other window=""
    other=$(start_other xmessage -geometry +200+200 -name "$1" "another program")
    # xmessage sets no _NET_WM_PID; it is found by its instance name.
    wait_for 10 bash -c "xdotool search --onlyvisible --classname '^$1\$' >/dev/null 2>&1"
    window=$(xdotool search --onlyvisible --classname "^$1\$" | head -1)
    xdotool windowactivate --sync "$window" >/dev/null 2>&1
    wait_for 5 bash -c "[ \"\$(xdotool getactivewindow)\" = $window ]"
    wait_for 5 bash -c "[ \"\$(xwininfo -id $wid | awk '/^ *Width:/ {w=\$2} /^ *Height:/ {h=\$2} END {print w \"x\" h}')\" != $full ]"
    settle
    echo "$other"
}

for way in click window-manager; do
    other=$(other_active "other-$way")
    small=$(size)
    check "another program active: the launcher shrinks ($small, $way)" test "$small" != "$full"
    check "and keeps its corner at the work area's $corner ($(bottom_right))" test "$(bottom_right)" = "$corner"
    if [ "$way" = click ]; then
        read -r x y w h < <(geometry_of "$wid")
        xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
    else
        xdotool windowactivate --sync "$wid" 2>/dev/null
    fi
    wait_for 5 bash -c "[ \"\$(xwininfo -id $wid | awk '/^ *Width:/ {w=\$2} /^ *Height:/ {h=\$2} END {print w \"x\" h}')\" = $full ]"
    settle
    check "activated by $way: the launcher grows back to $full ($(size))" test "$(size)" = "$full"
    check "and keeps its corner at $corner ($(bottom_right))" test "$(bottom_right)" = "$corner"
    # The pointer off the launcher, where it would bring the launcher forward again.
    xdotool mousemove 10 400
    # Gone before the next round, so that the window manager's focus fallback is over.
    kill "$other" 2>/dev/null
    wait_for 5 bash -c "! xdotool search --onlyvisible --classname '^other-$way\$' >/dev/null 2>&1"
    settle
done

# --- the top-left corner, where the category button comes under the activating click -------
wmctrl -i -c "$wid"
wait_for 10 bash -c "! kill -0 $pid 2>/dev/null"
printf '#!/bin/sh\ntouch "%s"\n' "$work/launched" >"$app/f5.sh"
chmod +x "$app/f5.sh"
printf '[一]\r\n1:5=%s <TS>five<TE>\r\n' "$app/f5.sh" | iconv -f UTF-8 -t CP932 >"$app/tavolin.txt"
printf '[Window]\r\nWinPos=1\r\nTaRMode=1\r\n' >"$app/tavolin.ini"
pid=$(start)
wait_for 15 has_window "$pid"
wid=$(window_of "$pid")
bring_forward "$wid"
full=$(size)
launcher_active() { active_at "$wid" "$full"; }
# Any window of the launcher's besides the main one: a menu or a dialog.
other_window() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$wid" | head -1; }
other_shown() { [ -n "$(other_window)" ]; }
other_gone() { [ -z "$(other_window)" ]; }

# A few rounds each: the click may reach the window before or after the window manager's word
# of the activation, and a closing dialog may or may not leave the focus to the window below.
for round in 1 2 3; do
    rm -f "$work/launched"
    other=$(other_active "other-$round")
    read -r x y w h < <(geometry_of "$wid")
    xdotool mousemove $((x + 92)) $((y + 8)) click 1 # where the full window has its category button
    check "a click activates the shrunken window (round $round)" wait_for 5 launcher_active
    sleep 0.5
    check "and opens nothing" other_gone
    [ -n "$(other_window)" ] && xdotool key Escape
    xdotool key F5
    check "the next F5 launches" wait_for 5 test -f "$work/launched"
    xdotool mousemove 10 400
    kill "$other" 2>/dev/null
    wait_for 5 bash -c "! xdotool search --onlyvisible --classname '^other-$round\$' >/dev/null 2>&1"
    settle
done

# Another program's window lies below the launcher while its dialogs run.
below=$(start_other xmessage -geometry +200+200 -name below "another program")
wait_for 10 bash -c "xdotool search --onlyvisible --classname '^below\$' >/dev/null 2>&1"
bring_forward "$wid"
for dialog in "ctrl+s options" "F3 browse" "ctrl+s options" "F3 browse" "ctrl+s options" "F3 browse"; do
    read -r key name <<<"$dialog"
    xdotool key "$key"
    check "$key opens the $name dialog" wait_for 10 other_shown
    sleep 0.3
    if [ "$name" = options ]; then
        xdotool mousemove --window "$(other_window)" $((262 + 37)) $((364 + 12)) click 1 # キャンセル
    else
        xdotool key Escape
    fi
    check "the $name dialog closes" wait_for 10 other_gone
    check "after the $name dialog the launcher is active and full-sized" wait_for 5 launcher_active
    sleep 0.5
    check "and stays so" launcher_active
    # A failed round leaves the launcher where the next one can start.
    launcher_active || bring_forward "$wid"
done

e2e_finish
