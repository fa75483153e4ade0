#!/usr/bin/env bash
# End to end: the option toolbar's commands by their keys on a real X display with openbox:
# always on top and back (T), minimise the other windows and restore them (M, U), the
# session-end commands against fake session services on private buses (a refusal brings the
# window back with the failure text, an accepted request leaves it hidden), the close path on
# SIGTERM, and quitting with X.
#
#   commands_e2e.sh /path/to/tavolin
set -uo pipefail

binary=${1:?usage: commands_e2e.sh /path/to/tavolin}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary" xmessage dbus-daemon
services=$(cd "$(dirname "$0")/.." && pwd)/platform/linux/fakes/fake_session_services.py

printf '[Window]\r\nWinPos=1\r\nNomalMode=1\r\nTaRMode=0\r\nFrmStyle=1\r\n' >"$app/tavolin.ini"

# Two private buses: the session's (a session manager that refuses to log out) and the
# system's (logind, which accepts).
for bus in session system; do
    start_other dbus-daemon --session --nofork --address="unix:path=$work/$bus.bus" >/dev/null
done
wait_for 10 test -S "$work/session.bus" -a -S "$work/system.bus"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session.bus"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/system.bus"
start_other "$services" "$DBUS_SESSION_BUS_ADDRESS" "$work/session.ready" "$work/calls.log" gnome=refuse >/dev/null
start_other "$services" "$DBUS_SYSTEM_BUS_ADDRESS" "$work/system.ready" "$work/calls.log" login1=accept >/dev/null
wait_for 10 test -e "$work/session.ready" -a -e "$work/system.ready"

map_state() { xwininfo -id "$1" 2>/dev/null | awk '/Map State:/ {print $3}'; }
above() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
activate() { xdotool windowactivate --sync "$1" >/dev/null 2>&1; wait_for 5 bash -c "[ \"\$(xdotool getactivewindow)\" = $1 ]"; }
press() { activate "$wid"; xdotool key "$@"; }
# The launcher below the other window in the window manager's stacking order (bottom first).
below_other() {
    local stack
    stack=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
    local mine theirs i=0
    for w in $stack; do
        [ $((w)) -eq $((wid)) ] && mine=$i
        [ $((w)) -eq $((other_wid)) ] && theirs=$i
        i=$((i + 1))
    done
    [ -n "${mine:-}" ] && [ -n "${theirs:-}" ] && [ "$mine" -lt "$theirs" ]
}

pid=$(start)
wait_for 15 has_window "$pid"
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"
start_other xmessage -geometry 300x200+100+100 -name other-window "another program" >/dev/null
wait_for 10 bash -c "xdotool search --onlyvisible --classname '^other-window\$' >/dev/null 2>&1"
other_wid=$(xdotool search --onlyvisible --classname '^other-window$' | head -1)
check "another window shows" test -n "$other_wid"

# --- T: off the top and to the bottom once, then on top again ---------------------------
wait_for 5 above "$wid"
check "always on top at the start" above "$wid"
press t
wait_for 5 bash -c "! xprop -id $wid _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE"
check "T clears _NET_WM_STATE_ABOVE" bash -c "! xprop -id $wid _NET_WM_STATE | grep -q ABOVE"
wait_for 5 below_other
check "and lowers the window under the other one" below_other
check "without a lasting _NET_WM_STATE_BELOW" bash -c "! xprop -id $wid _NET_WM_STATE | grep -q BELOW"
check "the window stays viewable" test "$(map_state "$wid")" = IsViewable
press t
wait_for 5 above "$wid"
check "T again sets _NET_WM_STATE_ABOVE" above "$wid"
check "FrmStyle is saved" grep -q 'FrmStyle=1' "$app/tavolin.ini"

# --- M and U: the other window goes and comes back; the launcher stays ------------------
press m
wait_for 5 bash -c "[ \"\$(xwininfo -id $other_wid | awk '/Map State:/ {print \$3}')\" = IsUnMapped ]"
check "M minimises the other window ($(map_state "$other_wid"))" test "$(map_state "$other_wid")" = IsUnMapped
check "and the launcher stays on screen ($(map_state "$wid"))" test "$(map_state "$wid")" = IsViewable
press u
wait_for 5 bash -c "[ \"\$(xwininfo -id $other_wid | awk '/Map State:/ {print \$3}')\" = IsViewable ]"
check "U restores it ($(map_state "$other_wid"))" test "$(map_state "$other_wid")" = IsViewable

# --- the session ends: refused, then accepted -------------------------------------------
dialog_titled() { xdotool search --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null | head -1; }
press alt+Delete
wait_for 10 test -n "$(dialog_titled 警告)"
check "the log-out asks first" test -n "$(dialog_titled 警告)"
xdotool key Return
wait_for 10 test -n "$(dialog_titled エラー)"
check "the refused log-out shows its failure" test -n "$(dialog_titled エラー)"
check "the session manager was asked" grep -q '^Logout' "$work/calls.log"
# Qt may give the window a new X11 id when it shows it again after a change of its flags.
wid=$(window_of "$pid")
check "the window is back ($(map_state "$wid"))" test "$(map_state "$wid")" = IsViewable
activate "$(dialog_titled エラー)"
xdotool key Return
wait_for 5 test -z "$(dialog_titled エラー)"

rm -f "$app/tavolin.txt"
press alt+Home
wait_for 10 test -n "$(dialog_titled 警告)"
xdotool key Return
wait_for 10 grep -q '^Reboot True' "$work/calls.log"
check "the reboot goes to logind" grep -q '^Reboot True' "$work/calls.log"
wait_for 5 bash -c "[ \"\$(xwininfo -id $wid | awk '/Map State:/ {print \$3}')\" = IsUnMapped ]"
check "the window is hidden while the session ends" test "$(map_state "$wid")" = IsUnMapped
check "the page was saved before the request" test -f "$app/tavolin.txt"

# --- SIGTERM: the close path runs --------------------------------------------------------
rm -f "$app/tavolin.txt" "$app/tavolin.ini"
kill -TERM "$pid"
gone() { ! alive "$pid"; }
wait_for 10 gone
check "SIGTERM ends the launcher" gone
check "and the page is saved" test -f "$app/tavolin.txt"
check "and the settings with the window's place" grep -q '^Left=' "$app/tavolin.ini"

# --- X quits ----------------------------------------------------------------------------
rm -f "$app/tavolin.txt"
pid=$(start)
wait_for 15 has_window "$pid"
wid=$(window_of "$pid")
press x
wait_for 10 gone
check "X quits" gone
check "and the files are saved" test -f "$app/tavolin.txt" -a -f "$app/tavolin.ini"

e2e_finish
