#!/usr/bin/env bash
# End to end: the built launcher copied into a temporary folder with its own data file,
# started on the X display (a virtual one under scripts/test.sh), driven with keys, checked
# through the programs it starts, its window's X11 properties and the files it leaves.
#
#   launcher_e2e.sh /path/to/tavolin
set -uo pipefail

binary=${1:?usage: launcher_e2e.sh /path/to/tavolin}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary"

mkdir -p "$app/targets"
for key in F5 shift-F5; do
    cat >"$app/targets/$key.sh" <<EOF
#!/bin/sh
echo "\$(pwd)" > "$work/marker-$key"
EOF
    chmod +x "$app/targets/$key.sh"
done
printf '[無題カテゴリ]\r\n1:5=%s <TS>five<TE>\r\n1:17=%s <TS>seventeen<TE>\r\n' \
    "$app/targets/F5.sh" "$app/targets/shift-F5.sh" | iconv -f UTF-8 -t CP932 >"$app/tavolin.txt"

# --- first start -------------------------------------------------------------------------
pid=$(start)
wait_for 15 has_window "$pid"
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"
check "the settings file exists once start-up is over" test -f "$app/tavolin.ini"

state=$(xprop -id "$wid" _NET_WM_STATE 2>/dev/null)
check "always on top" grep -q _NET_WM_STATE_ABOVE <<<"$state"
check "no taskbar entry" grep -q _NET_WM_STATE_SKIP_TASKBAR <<<"$state"
geometry=$(xwininfo -id "$wid")
x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
read -r wa_x wa_y _ < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g')
echo "work area: $(xprop -root _NET_WORKAREA)"
check "placed in the top-left corner of the work area ($x,$y)" test "$x,$y" = "$wa_x,$wa_y"
# Motif hints: decorations (flag 0x2) none (0x0), so the window manager draws no caption bar.
hints=$(xprop -id "$wid" _MOTIF_WM_HINTS 2>/dev/null)
check "no caption bar ($hints)" bash -c "[[ '$hints' =~ =\ 0x[0-9a-f]*[2367abef],\ 0x[0-9a-f]+,\ 0x0, ]]"

# --- launching with the function keys ----------------------------------------------------
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 0.3
xdotool key --clearmodifiers F5
check "F5 runs the target of slot 5" wait_for 10 test -f "$work/marker-F5"
check "in the target's folder" grep -qx "$app/targets" "$work/marker-F5"
xdotool key --clearmodifiers shift+F5
check "Shift+F5 runs the target of slot 17" wait_for 10 test -f "$work/marker-shift-F5"
check "still running after the launches" alive "$pid"

# --- a second start brings the first forward, restored ------------------------------------
xdotool windowminimize --sync "$wid" 2>/dev/null
(cd "$app" && exec timeout 20 ./tavolin) >>"$work/stderr.log" 2>&1
code=$?
check "a second start ends with 0 ($code)" test "$code" = 0
check "and leaves the first running" alive "$pid"
check "the first window is the only one" \
    test "$(xdotool search --name '^Tavolin$' 2>/dev/null | xargs -r -n1 xwininfo -id |
        grep -c IsViewable)" = 1
check "the first window is shown again" wait_for 10 bash -c \
    "xwininfo -id $wid | grep -q IsViewable && ! xprop -id $wid _NET_WM_STATE | grep -q HIDDEN"

# --- close: settings and data files --------------------------------------------------------
wmctrl -i -c "$wid"
wait_for 10 bash -c "! { [ -r /proc/$pid/stat ] && ! grep -q '^[0-9]* (.*) Z ' /proc/$pid/stat; }"
check "closing the window ends the program" bash -c "! { [ -r /proc/$pid/stat ] && ! grep -q '^[0-9]* (.*) Z ' /proc/$pid/stat; }"
check "the settings file has [Window] with the window's size" \
    grep -q '^Width=[0-9]' "$app/tavolin.ini"
check "in clock and information mode, always on top" \
    bash -c "grep -qx 'TaRMode=1' <(tr -d '\r' <'$app/tavolin.ini') && grep -qx 'FrmStyle=1' <(tr -d '\r' <'$app/tavolin.ini')"
data=$(iconv -f CP932 -t UTF-8 <"$app/tavolin.txt" | tr -d '\r')
check "the data file keeps the page's buttons" grep -qx "1:5=$app/targets/F5.sh <TS>five<TE>" <<<"$data"
check "under its category line" test "$(head -1 <<<"$data")" = "[無題カテゴリ]"
check "written in code page 932 with CR LF" bash -c "head -c 200 '$app/tavolin.txt' | grep -q \$'\\r\$'"

# --- two copies at the same moment leave one -------------------------------------------------
a=$(start)
b=$(start)
sleep 4
survivors=0
for p in "$a" "$b"; do alive "$p" && survivors=$((survivors + 1)); done
check "two copies started together leave exactly one" test "$survivors" = 1

# --- a copy that crashed blocks nothing ---------------------------------------------------
for p in "$a" "$b"; do alive "$p" && kill -9 "$p"; done
sleep 0.5
c=$(start)
wait_for 15 has_window "$c"
check "after a crash the next start shows its window" test -n "$(window_of "$c")"
kill -9 "$c" 2>/dev/null

e2e_finish
