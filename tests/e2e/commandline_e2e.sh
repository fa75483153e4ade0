#!/usr/bin/env bash
# End to end: the command line against a running copy. The built launcher is copied into a
# temporary folder with its own data file and started on the X display (a virtual one under
# scripts/test.sh); later copies hand it --press, --category, --page and --quit, checked
# through the marker files the buttons' scripts write, the exit codes, and the files the
# running copy saves. It also prints the round trip of --press against a running copy.
#
#   commandline_e2e.sh /path/to/tavolin
set -uo pipefail

binary=${1:?usage: commandline_e2e.sh /path/to/tavolin}
source "$(dirname "$0")/e2e_lib.sh"
e2e_setup "$binary"

# Two categories: "仕事" with F5 on page 1, "遊び 2" with F5 and Shift+F5 on page 2. Each
# button's script leaves a marker named after it.
mkdir -p "$app/targets"
for name in work-F5 play-F5 play-shift-F5; do
    printf '#!/bin/sh\necho ran >> "%s/marker-%s"\n' "$work" "$name" >"$app/targets/$name.sh"
    chmod +x "$app/targets/$name.sh"
done
printf '[仕事]\r\n1:5=%s <TS>w5<TE>\r\n1:7=%s/gone.sh <TS>gone<TE>\r\n[遊び 2]\r\n2:5=%s <TS>p5<TE>\r\n2:17=%s <TS>p17<TE>\r\n' \
    "$app/targets/work-F5.sh" "$app/targets" "$app/targets/play-F5.sh" "$app/targets/play-shift-F5.sh" |
    iconv -f UTF-8 -t CP932 >"$app/tavolin.txt"

tavolin() { (cd "$app" && exec timeout 20 ./tavolin "$@"); }
window_of() { xdotool search --onlyvisible --pid "$1" --name '^Tavolin$' 2>/dev/null; }
ran() { [ "$(cat "$work/marker-$1" 2>/dev/null | wc -l)" -ge "${2:-1}" ]; }

# --- without a running copy ------------------------------------------------------------------
tavolin --bogus >"$work/out" 2>"$work/err"
code=$?
check "an unknown option ends with 2 ($code)" test "$code" = 2
check "and prints the usage on standard error" grep -q -- '--press KEY' "$work/err"
check "help on standard output" bash -c "cd '$app' && ./tavolin --help | grep -q -- '--category NAME'"
check "--quit with no copy running starts none and ends with 0" bash -c "cd '$app' && ./tavolin --quit"
check "no settings were written by it" test ! -e "$app/tavolin.ini"

# --- a start with a request starts the copy and then does it ----------------------------------
pid=$(start --press F5)
wait_for 15 has_window "$pid"
wid=$(window_of "$pid" | head -1)
check "the window shows" test -n "$wid"
check "then F5 of the first category runs" wait_for 10 ran work-F5
check "its window class is the desktop entry's StartupWMClass" \
    grep -q '"Tavolin"' <<<"$(xprop -id "$wid" WM_CLASS)"

# --- later copies hand their requests over ----------------------------------------------------
tavolin --press F5
code=$?
check "--press F5 against the running copy ends with 0 ($code)" test "$code" = 0
check "and runs slot 5's target" wait_for 10 ran work-F5 2

tavolin --press F6 2>"$work/err"
code=$?
check "an empty button ends with 1 ($code)" test "$code" = 1
check "with a message" grep -q 'F6 on page 1 of "仕事" is an empty button' "$work/err"
sleep 0.5
check "and no dialog opens in the running copy" \
    test "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" = \
    "$(window_of "$pid" | wc -l)"

# A button whose target is gone: the launch failed, and the caller hears so while the
# running copy's error box waits for a click.
tavolin --press F7 2>"$work/err"
code=$?
check "a button whose target is gone ends with 1 ($code)" test "$code" = 1
check "with the running copy's message" test -s "$work/err"
box() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$wid" | head -1; }
has_box() { test -n "$(box)"; }
wait_for 10 has_box
check "the running copy shows the error" has_box
wmctrl -ic "$(box)"
no_box() { ! has_box; }
wait_for 10 no_box
check "and closes it when asked" no_box

# A category name too long to hand over is refused before anything is sent.
long=$(printf '名%.0s' $(seq 460))
tavolin --category "$long" 2>"$work/err"
code=$?
check "a category name too long to hand over ends with 2 ($code)" test "$code" = 2
check "and says why" grep -q 'too long' "$work/err"

tavolin --category '遊び 2' --page 2 --press shift+F5
code=$?
check "--category and --page choose before --press ($code)" wait_for 10 ran play-shift-F5
tavolin --press 5
check "the chosen page stays on screen" wait_for 10 ran play-F5

tavolin --category 'no such' --press F5 2>"$work/err"
code=$?
check "an unknown category ends with 1 ($code)" test "$code" = 1
check "with a message" grep -q 'there is no category "no such"' "$work/err"
check "the running copy is still the only one" test "$(wc -l <"$work/launchers")" = 1

# --- the round trip of --press against the running copy ---------------------------------------
now_ms() { echo $(($(date +%s%N) / 1000000)); }
press_times=()
floor_times=()
for i in $(seq 20); do
    t0=$(now_ms)
    (cd "$app" && ./tavolin --version >/dev/null)
    t1=$(now_ms)
    (cd "$app" && ./tavolin --press F5)
    t2=$(now_ms)
    floor_times+=($((t1 - t0)))
    press_times+=($((t2 - t1)))
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
maximum() { printf '%s\n' "$@" | sort -n | tail -1; }
echo "round trip of --press F5: median $(median "${press_times[@]}") ms, max $(maximum "${press_times[@]}") ms;" \
    "the same process with --version alone: median $(median "${floor_times[@]}") ms"
check "every timed press ran" wait_for 10 ran play-F5 21

# --- --quit closes it through its close path --------------------------------------------------
rm -f "$app/tavolin.ini"
tavolin --quit
code=$?
check "--quit ends with 0 ($code)" test "$code" = 0
check "the running copy ends" wait_for 10 bash -c "! { [ -r /proc/$pid/stat ] && ! grep -q '^[0-9]* (.*) Z ' /proc/$pid/stat; }"
check "its settings were saved" grep -q '^Width=[0-9]' "$app/tavolin.ini"
data=$(iconv -f CP932 -t UTF-8 <"$app/tavolin.txt" | tr -d '\r')
check "its data file keeps both categories and their buttons" \
    test "$(grep -c -e '^\[仕事\]$' -e '^\[遊び 2\]$' -e '^1:5=' -e '^2:5=' -e '^2:17=' <<<"$data")" = 5

# --- no runtime folder, and another user's lock in the shared temporary folder ----------------
# The copy keeps its lock and socket in a folder of the user's own: it starts, later copies
# find it, and the shared folder holds nothing of it.
shared=$work/shared
mkdir -p "$shared" && chmod 1777 "$shared"
display=$(sed 's/^unix:/:/; s/\.[0-9]*$//; s/[^A-Za-z0-9._-]/_/g' <<<"$DISPLAY")
echo "$$" >"$shared/Tavolin_System_Mutex-${USER:-$(id -un)}-$display.lock"
touch "$shared/runtime-$(id -un)"
before=$(ls -A "$shared")
unguarded() { (unset XDG_RUNTIME_DIR; export TMPDIR=$shared; "$@"); }
pid=$(unguarded start)
wait_for 15 has_window "$pid"
check "with no runtime folder and a lock planted in /tmp the window shows" has_window "$pid"
unguarded tavolin --press F5
code=$?
check "a later copy hands its request over ($code)" test "$code" = 0
unguarded tavolin --quit
check "and --quit closes it" wait_for 10 bash -c "! { [ -r /proc/$pid/stat ] && ! grep -q '^[0-9]* (.*) Z ' /proc/$pid/stat; }"
check "nothing of it is left in the shared temporary folder" test "$(ls -A "$shared")" = "$before"

e2e_finish
