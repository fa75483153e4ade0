#!/usr/bin/env bash
# Takes the picture of the category editor in docs/: opened from the category menu of a
# launcher with a few categories, the second one selected.
#   tools/category-editor-screenshot.sh build/dev/src/app/tavolin
set -euo pipefail
source "$(dirname "$0")/screenshot_lib.sh"
shots_setup 800x500 "$0" "$@"

cp "$binary" "$work/tavolin"
printf '[無題カテゴリ]\r\n1:1=/bin/sh <TS>sh<TE>\r\n[ツール]\r\n[ゲーム]\r\n[ドキュメント]\r\n[Internet]\r\n' |
    iconv -f UTF-8 -t CP932 >"$work/tavolin.txt"
start_launcher "$work"
xdotool windowactivate --sync "$wid" && sleep 1
# The category button at the top of the window, then the menu's "カテゴリー編集(&E)...".
xdotool mousemove --window "$wid" 100 10 click 1 && sleep 0.5
xdotool key e
dialog=$(xdotool search --sync --onlyvisible --name '^カテゴリー編集$' | head -1)
sleep 0.5
xdotool key Tab Tab Tab Tab Down && sleep 0.5
import -frame -window "$dialog" "$docs/category-editor.png"
echo "wrote $docs/category-editor.png"
