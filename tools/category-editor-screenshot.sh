#!/usr/bin/env bash
# Takes the picture of the category editor in docs/: opened from the category menu of a
# launcher with a few categories, the second one selected.
#   tools/category-editor-screenshot.sh build/dev/src/app/tavolin
set -euo pipefail
binary=$(realpath "${1:?usage: category-editor-screenshot.sh /path/to/tavolin}")
docs=$(cd "$(dirname "$0")/../docs" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 800x500x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/tavolin-shots.XXXXXX)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill $app $wm 2>/dev/null; rm -rf "$work"' EXIT
sleep 1

cp "$binary" "$work/tavolin"
printf '[無題カテゴリ]\r\n1:1=/bin/sh <TS>sh<TE>\r\n[ツール]\r\n[ゲーム]\r\n[ドキュメント]\r\n[Internet]\r\n' |
    iconv -f UTF-8 -t CP932 >"$work/tavolin.txt"
(cd "$work" && exec ./tavolin) &
app=$!
wid=$(xdotool search --sync --onlyvisible --name '^Tavolin$' | head -1)
xdotool windowactivate --sync "$wid" && sleep 1
# The category button at the top of the window, then the menu's "カテゴリー編集(&E)...".
xdotool mousemove --window "$wid" 100 10 click 1 && sleep 0.5
xdotool key e
dialog=$(xdotool search --sync --onlyvisible --name '^カテゴリー編集$' | head -1)
sleep 0.5
xdotool key Tab Tab Tab Tab Down && sleep 0.5
import -frame -window "$dialog" "$docs/category-editor.png"
echo "wrote $docs/category-editor.png"
