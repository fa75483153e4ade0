#!/usr/bin/env bash
# End to end: the launcher in clock-and-information mode shrinks when another program takes
# the focus and grows back when it is activated again, by a click and by the window manager,
# keeping its bottom-right corner in the work area's corner each time.
#
#   activation_e2e.sh /path/to/tavolin
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

e2e_finish
