#!/usr/bin/env bash
# Takes the pictures of the options dialog in docs/, one per tab: opened with Ctrl+S on a
# launcher with a few categories and buttons, then each tab in turn.
#   tools/options-dialog-screenshots.sh build/dev/src/app/tavolin
set -euo pipefail
source "$(dirname "$0")/screenshot_lib.sh"
shots_setup 800x600 "$0" "$@"

cp "$binary" "$work/tavolin"
printf '%s\r\n' '[無題カテゴリ]' '1:1=/bin/sh <TS>シェル<TE>' '1:2=/etc/hosts <TS>hosts<TE>' \
    '1:3=/usr/share <TS>共有<TE>' '{ゲームはここから}' '[ゲーム]' '1:1=/usr/games <TS>ゲーム<TE>' \
    '[ツール]' '1:1=/usr/bin <TS>bin<TE>' '2:5=/bin/ls <TS>ls<TE>' |
    iconv -f UTF-8 -t CP932 >"$work/tavolin.txt"
start_launcher "$work"
xdotool windowactivate --sync "$wid" && sleep 1
xdotool key ctrl+s
dialog=$(xdotool search --sync --onlyvisible --name '^オプション設定$' | head -1)
sleep 1
# Ctrl+S opens on "情報枠"; one step back is "ボタン詳細", which loads the list.
xdotool key ctrl+shift+Tab && sleep 1
for name in buttons info display1 display2 areas aux; do
    import -frame -window "$dialog" "$docs/options-$name.png"
    echo "wrote $docs/options-$name.png"
    xdotool key ctrl+Tab && sleep 0.7
done
