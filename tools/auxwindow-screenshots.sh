#!/usr/bin/env bash
# Takes the pictures of the auxiliary window's three modes and of the about box in docs/:
# each opened by its key from a launcher with a short address history and a memo, with the
# launcher beside it.
#   tools/auxwindow-screenshots.sh build/dev/src/app/tavolin
set -euo pipefail
binary=$(realpath "${1:?usage: auxwindow-screenshots.sh /path/to/tavolin}")
docs=$(cd "$(dirname "$0")/../docs" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1000x600x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/tavolin-shots.XXXXXX)
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
trap 'kill $app $wm 2>/dev/null; sleep 0.5; rm -rf "$work"' EXIT
sleep 1

cp "$binary" "$work/tavolin"
cp "$(dirname "$binary")/README.md" "$work/" 2>/dev/null || true
printf '[Window]\r\nWinPos=0\r\n[Address]\r\nTop=https://www.example.org/\r\n0=https://www.example.org/\r\n1=/home\r\n' |
    iconv -f UTF-8 -t CP932 >"$work/tavolin.ini"
printf '買い物: 牛乳、パン\r\n15時 打ち合わせ (会議室B)\r\n\r\nTODO: 報告書を金曜までに\r\n' |
    iconv -f UTF-8 -t CP932 >"$work/Memo.txt"
(cd "$work" && exec ./tavolin) &
app=$!
wid=$(xdotool search --sync --onlyvisible --name '^Tavolin$' | head -1)
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
