#!/usr/bin/env bash
# Takes the pictures of the auxiliary window's three modes and of the about box in docs/:
# each opened by its key from a launcher with a short address history and a memo, with the
# launcher beside it.
#   tools/auxwindow-screenshots.sh build/dev/src/app/tavolin
set -euo pipefail
source "$(dirname "$0")/screenshot_lib.sh"
shots_setup 1000x600 "$0" "$@"

cp "$binary" "$work/tavolin"
cp "$(dirname "$binary")/README.md" "$work/" 2>/dev/null || true
printf '[Window]\r\nWinPos=0\r\n[Address]\r\nTop=https://www.example.org/\r\n0=https://www.example.org/\r\n1=/home\r\n' |
    iconv -f UTF-8 -t CP932 >"$work/tavolin.ini"
printf '買い物: 牛乳、パン\r\n15時 打ち合わせ (会議室B)\r\n\r\nTODO: 報告書を金曜までに\r\n' |
    iconv -f UTF-8 -t CP932 >"$work/Memo.txt"
start_launcher "$work"
sleep 1

shot() { # key, picture
    xdotool windowactivate --sync "$wid" && sleep 0.3
    xdotool mousemove 420 60
    xdotool key "$1" && sleep 1.5
    local active
    active=$(xdotool getactivewindow)
    import -frame -window "$active" "$docs/$2"
    echo "wrote $docs/$2"
    xdotool key Escape && sleep 0.5
}
shot a auxwindow-address.png
shot c auxwindow-calendar.png
shot n auxwindow-memo.png
shot v about-box.png
