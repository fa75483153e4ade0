#!/usr/bin/env bash
# Takes the pictures of the launcher window in docs/: the default window while it is the
# active application, and after another window took the focus (clock-and-information mode).
#   tools/window-screenshots.sh build/dev/src/app/tavolin
set -euo pipefail
binary=$(realpath "${1:?usage: window-screenshots.sh /path/to/tavolin}")
docs=$(cd "$(dirname "$0")/../docs" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 800x500x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/tavolin-shots.XXXXXX)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill $app $wm ${other:-} 2>/dev/null; rm -rf "$work"' EXIT
sleep 1

cp "$binary" "$work/tavolin"
printf '[無題カテゴリ]\r\n1:1=/bin/sh <TS>sh<TE>\r\n1:2=/etc/hosts <TS>hosts<TE>\r\n1:5=/usr/share <TS>share<TE>\r\n1:13=/usr/bin/xdotool <TS>xdotool<TE>\r\n' |
    iconv -f UTF-8 -t CP932 >"$work/tavolin.txt"
(cd "$work" && exec ./tavolin) &
app=$!
wid=$(xdotool search --sync --onlyvisible --name '^Tavolin$' | head -1)
# A few sampling ticks, so that the processor gauge no longer holds the start-up's work.
xdotool windowactivate --sync "$wid" && sleep 3
import -window "$wid" "$docs/window-active.png"

xmessage -geometry +300+300 "another application" &
other=$!
xdotool search --sync --onlyvisible --class xmessage windowactivate --sync && sleep 1
import -window "$wid" "$docs/window-inactive.png"
echo "wrote $docs/window-active.png and $docs/window-inactive.png"
