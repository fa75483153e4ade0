#!/usr/bin/env bash
# End to end: each dialog of the launcher, opened and closed by keyboard or by mouse, leaves
# the launcher the active window at its full size (while another window is active it shrinks
# to its clock), so that the first key or click after it works. The category editor, opened
# by a click on the category button and cancelled after adding a category, opens again with
# one click; a category added there and OK put it at the end of the data file.
#
#   dialogs_e2e.sh /path/to/tavolin
set -uo pipefail

binary=${1:?usage: dialogs_e2e.sh /path/to/tavolin}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary"

printf '[一]\r\n1:1=/bin/true <TS>t<TE>\r\n{keep}\r\n' | iconv -f UTF-8 -t CP932 >"$app/tavolin.txt"
printf '[Window]\r\nNomalMode=0\r\nTaRMode=1\r\n' >"$app/tavolin.ini"
before=$(cat "$app/tavolin.txt")

pid=$(start)
launcher_shown() { [ -n "$(window_of "$pid")" ]; }
wait_for 15 launcher_shown
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"

bring_forward "$wid"
full=$(size_of "$wid")
launcher_active() { active_at "$wid" "$full"; }

# Any window of the launcher's besides its main one (the auxiliary window has no title).
other_window() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$wid" | head -1; }
other_shown() { [ -n "$(other_window)" ]; }
other_gone() { [ -z "$(other_window)" ]; }

# --- by keyboard: each key opens its dialog straight after the last one closed ----------------
for key in ctrl+s v a c n; do
    xdotool key --clearmodifiers "$key"
    check "$key opens its window" wait_for 10 other_shown
    sleep 0.3
    xdotool key --clearmodifiers Escape
    check "Escape closes it" wait_for 10 other_gone
    check "after $key the launcher is active and full-sized" wait_for 5 launcher_active
done

# --- closed by mouse: the options dialog's キャンセル and the about box's OK (its title is the
# launcher's caption) ---------------------------------------------------------------------
for dialog in "ctrl+s オプション設定 $((262 + 37)) $((364 + 12))" "v Tavolin $((118 + 37)) $((230 + 12))"; do
    read -r key title x y <<<"$dialog"
    xdotool key --clearmodifiers "$key"
    check "$key opens $title" wait_for 10 titled_shown "$title"
    sleep 0.3
    click_in "$(window_titled "$title")" "$x" "$y"
    check "a click closes $title" wait_for 10 titled_gone "$title"
    check "after a click in $title the launcher is active and full-sized" wait_for 5 launcher_active
done

# --- the category editor, by mouse ---------------------------------------------------------
category_x=$((16 + 76)) category_y=8 # the category button, in the window's own coordinates
open_editor() {
    xdotool mousemove --window "$wid" $category_x $category_y click 1
    wait_for 5 other_shown || return 1
    sleep 0.3
    xdotool key --clearmodifiers Up Return # the menu's last item
    wait_for 10 titled_shown "カテゴリー編集"
}
check "a click on the category button and the menu's last item open the editor" open_editor
editor=$(window_titled "カテゴリー編集")
xdotool type --delay 20 "added"
click_in "$editor" $((192 + 24)) $((8 + 10)) # 追加
click_in "$editor" $((88 + 37)) $((248 + 12)) # キャンセル
check "キャンセル closes the editor" wait_for 10 titled_gone "カテゴリー編集"
check "after キャンセル the launcher is active and full-sized" wait_for 5 launcher_active
check "and the data file is as it was" test "$(cat "$app/tavolin.txt")" = "$before"

check "one click opens the editor again" open_editor
editor=$(window_titled "カテゴリー編集")
xdotool type --delay 20 "added"
click_in "$editor" $((192 + 24)) $((8 + 10)) # 追加
click_in "$editor" $((8 + 37)) $((248 + 12)) # OK
check "OK closes the editor" wait_for 10 titled_gone "カテゴリー編集"
check "after OK the launcher is active and full-sized" wait_for 5 launcher_active
check "the new category is at the end, every other line unchanged" \
    test "$(cat "$app/tavolin.txt")" = "$before"$'\n[added]\r'

e2e_finish
