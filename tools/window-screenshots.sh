#!/usr/bin/env bash
# Takes the pictures of the launcher window in docs/: the default window while it is the
# active application, and after another window took the focus (clock-and-information mode).
#   tools/window-screenshots.sh build/dev/src/app/tavolin
set -euo pipefail
source "$(dirname "$0")/screenshot_lib.sh"
shots_setup 800x500 "$0" "$@"

cp "$binary" "$work/tavolin"
printf '[無題カテゴリ]\r\n1:1=/bin/sh <TS>sh<TE>\r\n1:2=/etc/hosts <TS>hosts<TE>\r\n1:5=/usr/share <TS>share<TE>\r\n1:13=/usr/bin/xdotool <TS>xdotool<TE>\r\n' |
    iconv -f UTF-8 -t CP932 >"$work/tavolin.txt"
start_launcher "$work"
# A few sampling ticks, so that the processor gauge no longer holds the start-up's work.
xdotool windowactivate --sync "$wid" && sleep 3
import -window "$wid" "$docs/window-active.png"

start_other xmessage -geometry +300+300 "another application"
xdotool search --sync --onlyvisible --class xmessage windowactivate --sync && sleep 1
import -window "$wid" "$docs/window-inactive.png"
echo "wrote $docs/window-active.png and $docs/window-inactive.png"
