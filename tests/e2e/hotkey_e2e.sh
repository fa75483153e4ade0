#!/usr/bin/env bash
# End to end: the hot key of the settings, pressed while another program is active, brings
# the launcher forward, active and full-sized in the clock-and-information mode, so that F5
# then launches button 5; with NumLock on too; pressed again, it gives the focus back. A key
# another client grabs already is named in a warning at start.
#
#   hotkey_e2e.sh /path/to/tavolin
set -uo pipefail

binary=${1:?usage: hotkey_e2e.sh /path/to/tavolin}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary"

mkdir -p "$app/targets"
cat >"$app/targets/F5.sh" <<EOF
#!/bin/sh
echo launched >> "$work/marker-F5"
EOF
chmod +x "$app/targets/F5.sh"
printf '[無題カテゴリ]\r\n1:5=%s <TS>five<TE>\r\n' "$app/targets/F5.sh" |
    iconv -f UTF-8 -t CP932 >"$app/tavolin.txt"
printf '[Window]\r\nWinPos=3\r\nTaRMode=1\r\nHotKey=Ctrl+Alt+Space\r\n' >"$app/tavolin.ini"

pid=$(start)
wait_for 15 has_window "$pid"
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"
wait_for 10 bash -c "xdotool getactivewindow 2>/dev/null | grep -qx $wid"
size() { local x y w h; read -r x y w h < <(geometry_of "$wid"); echo "${w}x$h"; }
sleep 0.5
full=$(size)
echo "active size: $full"

other_window=""
another_program_active() { # name
    start_other xmessage -geometry +100+100 -name "$1" "another program" >/dev/null
    wait_for 10 bash -c "xdotool search --onlyvisible --classname '^$1\$' >/dev/null 2>&1"
    other_window=$(xdotool search --onlyvisible --classname "^$1\$" | head -1)
    xdotool windowactivate --sync "$other_window" >/dev/null 2>&1
    wait_for 5 bash -c "[ \"\$(xdotool getactivewindow)\" = $other_window ]"
    wait_for 5 bash -c "[ \"\$(xwininfo -id $wid | awk '/^ *Width:/ {w=\$2} /^ *Height:/ {h=\$2} END {print w \"x\" h}')\" != $full ]"
    sleep 0.5
}
launcher_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$wid" ]; }
full_size() { [ "$(size)" = "$full" ]; }
launches() { # count: the marker file has that many lines
    [ -f "$work/marker-F5" ] && [ "$(wc -l <"$work/marker-F5")" -eq "$1" ]
}

round=0
for lock in none NumLock; do
    round=$((round + 1))
    another_program_active "other-$round"
    check "another program active: the launcher is small ($(size))" test "$(size)" != "$full"
    [ "$lock" = NumLock ] && xdotool key Num_Lock
    xdotool key ctrl+alt+space
    check "with $lock: the hot key makes the launcher the active window" wait_for 5 launcher_active
    check "and full-sized ($(size))" wait_for 5 full_size
    sleep 0.3
    xdotool key --clearmodifiers F5
    check "F5 then launches button 5" wait_for 10 launches "$round"
    [ "$lock" = NumLock ] && xdotool key Num_Lock
done

# Pressed again while the launcher is active: the other program has the focus again.
xdotool key ctrl+alt+space
check "pressed again, the focus goes back to the other program" \
    wait_for 5 bash -c "[ \"\$(xdotool getactivewindow)\" = $other_window ]"

# A key another client holds (the running launcher): a second copy, with a runtime folder of
# its own so that it does not hand over to the first, starts and says so in a warning box
# that waits for nobody: the copy's window is active and takes keys while the box is open.
rm -rf "$app/copy" && mkdir -p "$app/copy" "$work/run2" && chmod 700 "$work/run2"
cp "$app/tavolin" "$app/tavolin.txt" "$app/tavolin.ini" "$app/copy/"
(cd "$app/copy" && XDG_RUNTIME_DIR=$work/run2 exec ./tavolin) >>"$work/stderr.log" 2>&1 &
second=$!
echo "$second" >>"$work/pids"
# Both copies' windows are called Tavolin: a window of the copy is one of its process.
of_copy() { xdotool search --all --onlyvisible --pid "$second" --name "$1" 2>/dev/null | head -1; }
warning() { [ -n "$(of_copy '^警告$')" ]; }
check "a key another program holds is named in a warning at start" wait_for 15 warning
box=$(of_copy '^警告$')
[ -n "$box" ] && import -window "$box" "$work/warning.png" 2>/dev/null
copy_active() {
    local copy
    copy=$(of_copy '^Tavolin$')
    [ -n "$copy" ] && [ "$(xdotool getactivewindow 2>/dev/null)" = "$copy" ]
}
check "with the warning open, the copy's window is the active one" wait_for 10 copy_active
xdotool key --clearmodifiers F5
check "and F5 launches its button 5" wait_for 10 launches 3
check "the warning is on standard error as well" \
    grep -q 'tavolin: 警告: ホットキー「Ctrl+Alt+Space」' "$work/stderr.log"
check "the box is still open" warning
kill "$second" 2>/dev/null

e2e_finish
