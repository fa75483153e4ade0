#!/usr/bin/env bash
# Takes the pictures of the button menu and of the help viewer in docs/: a launcher with a
# few buttons, the menu of its first button, then the help found by a word.
#   tools/commands-screenshots.sh build/dev/src/app/tavolin
set -euo pipefail
source "$(dirname "$0")/screenshot_lib.sh"
shots_setup 1280x800 "$0" "$@"

mkdir -p "$work/app"
cp "$binary" "$work/app/tavolin"
printf '[Window]\r\nWinPos=1\r\nNomalMode=1\r\nTaRMode=0\r\n' >"$work/app/tavolin.ini"
printf '[ツール]\r\n1:1=/usr/bin/openbox <TS>Openbox<TE>\r\n1:2=/etc <TS>etc<TE>\r\n1:3=/usr/share/doc <TS>Docs<TE>\r\n' |
    iconv -f utf-8 -t cp932 >"$work/app/tavolin.txt"
start_launcher "$work/app"
sleep 1

origin() { xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'; }
read -r x y < <(origin "$wid")
xdotool mousemove $((x + 30)) $((y + 30)) click 3
sleep 1
xdotool mousemove $((x + 100)) $((y + 105))
sleep 1
import -window root -crop 640x420+0+0 "$docs/button-menu.png"

xdotool key Escape Escape
sleep 0.5
xdotool windowactivate --sync "$wid" key h
sleep 1.5
xdotool type --delay 80 "最小化"
sleep 1
help=$(xdotool search --name 'Tavolin ヘルプ' | head -1)
xdotool windowmove "$help" 0 150
sleep 0.5
read -r hx hy < <(origin "$help")
xdotool mousemove $((hx + 60)) $((hy + 100)) click 1
sleep 1
import -window root -crop 760x660+0+0 "$docs/help-viewer.png"
