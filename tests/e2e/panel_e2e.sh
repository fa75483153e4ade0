#!/usr/bin/env bash
# End to end: the information panel is alive on the real system. While another program is
# active the launcher shows its clock and gauges; the clock (here with seconds) moves on by
# itself, and the gauges hold figures (their lime bars on red) rather than empty boxes.
#
#   panel_e2e.sh /path/to/tavolin
set -uo pipefail

binary=${1:?usage: panel_e2e.sh /path/to/tavolin}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary" xmessage import convert compare

printf '[Window]\r\nTaRMode=1\r\nDateFormat=yyyy/m/d(aaa) hh:nn:ss\r\n' >"$app/tavolin.ini"

pid=$(start)
wait_for 15 has_window "$pid"
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"

start_other xmessage -geometry +300+300 -name panelother "another program" >/dev/null
wait_for 10 bash -c "xdotool search --onlyvisible --classname '^panelother\$' >/dev/null 2>&1"
xdotool windowactivate --sync "$(xdotool search --onlyvisible --classname '^panelother$' | head -1)"
sleep 1.5 # the launcher shrinks to its clock and gauges

# Pixels of one colour in a picture.
count() { convert "$1" txt:- | grep -ci "$2"; }
shot() { import -window "$wid" "$work/$1.png"; }
shot first
sleep 1.3
shot second
read -r w h < <(identify -format '%w %h' "$work/first.png")
# The clock stands at the top left, the gauges in a row under it.
for s in first second; do
    convert "$work/$s.png" -crop "$((w - 6))x15+3+3" +repage "$work/$s-clock.png"
    convert "$work/$s.png" -crop "$((w - 6))x$((h - 22))+3+19" +repage "$work/$s-gauges.png"
done
check "the clock is written in lime" test "$(count "$work/first-clock.png" '#00FF00')" -gt 20
check "the clock moves on by itself" \
    bash -c "! compare -metric AE '$work/first-clock.png' '$work/second-clock.png' null: 2>/dev/null"
check "the gauges hold figures" \
    test "$(count "$work/first-gauges.png" '#00FF00')" -gt 0 -a "$(count "$work/first-gauges.png" '#FF0000')" -gt 0
check "the launcher still runs" alive "$pid"

e2e_finish
