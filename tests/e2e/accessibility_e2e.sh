#!/usr/bin/env bash
# End to end: what a screen reader reads of the launcher, through AT-SPI on a private session
# bus: the 24 buttons with their keys (used ones with their titles and target paths, empty
# ones as empty), the category, the page box, the gauges with their values and the two drop
# areas; then again after a page change.
#
#   accessibility_e2e.sh /path/to/tavolin
set -uo pipefail

binary=${1:?usage: accessibility_e2e.sh /path/to/tavolin}
here=$(cd "$(dirname "$0")" && pwd)
for tool in dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (at-spi2-core)"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is missing"; exit 77; }
# A session bus of its own, where the accessibility bus launcher runs.
if [ -z "${TAVOLIN_A11Y_SESSION:-}" ]; then
    TAVOLIN_A11Y_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
bus=$DBUS_SESSION_BUS_ADDRESS

source "$here/e2e_lib.sh"
e2e_setup "$binary"
export DBUS_SESSION_BUS_ADDRESS=$bus
start_other /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null
wait_for 10 bash -c "dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress >/dev/null 2>&1"

mkdir -p "$app/targets"
for name in edit mail notes; do
    printf '#!/bin/sh\n' >"$app/targets/$name.sh"
    chmod +x "$app/targets/$name.sh"
done
printf '[道具]\r\n1:5=%s <TS>エディタ<TE>\r\n1:13=%s <TS>メール<TE>\r\n2:3=%s <TS>メモ帳<TE>\r\n' \
    "$app/targets/edit.sh" "$app/targets/mail.sh" "$app/targets/notes.sh" |
    iconv -f UTF-8 -t CP932 >"$app/tavolin.txt"
printf '[Window]\r\nNomalMode=1\r\nTaRMode=0\r\n' >"$app/tavolin.ini"

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
pid=$(start)
wait_for 15 has_window "$pid"
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"

tree() { /usr/bin/python3 "$here/atspi_tree.py" tavolin 2>>"$work/atspi.log"; }
names() { tree | cut -f2; }
has_line() { grep -qxF "$1" <<<"$2"; }
slot_names() { grep -cE $'^[^\t]*\t(Shift\\+)?F[0-9]+: ' <<<"$1"; }

page1=$(tree)
echo "$page1" >"$work/page1.txt"
check "24 buttons are named by their keys ($(slot_names "$page1"))" test "$(slot_names "$page1")" -eq 24
check "a used button: its key, title and target path" \
    has_line $'push button\tF5: エディタ\t'"$app/targets/edit.sh"$'\t' "$page1"
check "a used button of the lower row" has_line $'push button\tShift+F1: メール\t'"$app/targets/mail.sh"$'\t' "$page1"
check "an empty button says so" has_line $'push button\tShift+F3: 空き\t\t' "$page1"
check "the category button names the category" grep -q $'\tカテゴリー: 道具\t' <<<"$page1"
check "the page box is named" grep -q $'^text\tページ\t' <<<"$page1"
for gauge in "Sys 空きリソース" "GDI 空きリソース" "User 空きリソース" "CPU 使用率"; do
    check "the gauge \"$gauge\" has its name and a value" \
        grep -qE $'^progress bar\t'"$gauge"$'\t[^\t]*\t[0-9]+$' <<<"$page1"
done
check "the clock reads its time, described as the clock" grep -qE $'^label\t[^\t]*[0-9]:[0-9]{2}\t時計\t' <<<"$page1"
check "the free memory reads its figure" grep -qE $'^label\t[0-9,]+KB\t空きメモリ\t' <<<"$page1"
check "the delete area is named" grep -q $'\t削除エリア\t' <<<"$page1"
check "the recycle-bin area is named" grep -q $'\tごみ箱エリア\t' <<<"$page1"

# Page 2: the names follow without a restart.
xdotool windowactivate --sync "$wid" >/dev/null 2>&1
sleep 0.3
xdotool key --clearmodifiers Up
page2_shown() { tree | grep -q $'\tF3: メモ帳\t'; }
check "after a page change the names follow: F3 is the new page's" wait_for 10 page2_shown
page2=$(tree)
echo "$page2" >"$work/page2.txt"
check "and F5 is empty there" has_line $'push button\tF5: 空き\t\t' "$page2"
check "still 24 named buttons" test "$(slot_names "$page2")" -eq 24

# The context-menu key opens the window's menu.
# (AT-SPI does not list the popup until the tree is read afresh: it is found as a new window.)
windows_of() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort; }
before=$(windows_of)
new_window() { [ -n "$(comm -13 <(echo "$before") <(windows_of))" ]; }
xdotool key --clearmodifiers Menu
check "the context-menu key opens the window's menu" wait_for 5 new_window
xdotool key Escape

if [ "$failed" -ne 0 ]; then
    echo "--- page 1 as read:"
    cat "$work/page1.txt"
    cat "$work/atspi.log"
fi
e2e_finish
