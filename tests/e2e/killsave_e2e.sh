#!/usr/bin/env bash
# End to end: the launcher killed (SIGKILL) at random moments while it saves the data file of
# 100,000 lines after a drop, many times. After every kill the data file and the settings file
# are each byte for byte one of the versions a clean run goes through, never a mix or a cut;
# and the next start removes the temporary files the killed saves left.
#
#   killsave_e2e.sh /path/to/tavolin /path/to/drag_source [ROUNDS] [SECONDS]
# Stops after ROUNDS kills (default 80) or SECONDS seconds (default 45), whichever is first.
set -uo pipefail

binary=${1:?usage: killsave_e2e.sh /path/to/tavolin /path/to/drag_source [ROUNDS] [SECONDS]}
source_binary=${2:?usage: killsave_e2e.sh /path/to/tavolin /path/to/drag_source [ROUNDS] [SECONDS]}
rounds=${3:-80}
budget=${4:-45}
here=$(dirname "$0")
source "$here/e2e_lib.sh"
e2e_setup "$binary"
touch "$work/dropped"

seed=${KILLSAVE_SEED:-$$}
RANDOM=$seed
echo "random seed $seed (KILLSAVE_SEED repeats a run)"

# The data file holds page 1 first, without its button 1, so the save after a drop on that
# button moves the page's lines to the end of the section: the new file differs from the old
# one, and a mix of the two would show. The settings file lacks most keys, so the close writes
# a longer one.
versions=$work/versions
mkdir -p "$versions"
"$here/../../bench/make_100k_data.sh" "$work/generated"
{ head -n 1 "$work/generated"; tail -n 23 "$work/generated"; sed '1d' "$work/generated" |
    head -n -24; } >"$versions/txt.old"
printf '[Window]\r\n; what the user wrote stays\r\nWinPos=1\r\n' >"$versions/ini.old"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
restore() {
    cp "$versions/txt.old" "$app/tavolin.txt"
    cp "$versions/ini.old" "$app/tavolin.ini"
}
# The temporary files of the program's own saves beside its files.
temporaries() { find "$app" -maxdepth 1 -regextype posix-extended \
    -regex '.*/\.tavolin\.(txt|ini)\.[A-Za-z0-9]{6}' -printf '%f\n'; }
gone() { ! alive "$1"; }
differ() { ! cmp -s "$1" "$2"; }
# Whether FILE is byte for byte one of the saved versions of KIND (txt or ini).
is_version() {
    local kind=$1 file=$2 version
    for version in "$versions/$kind".*; do
        cmp -s "$file" "$version" && return 0
    done
    return 1
}

# Drops a file on button 1 of the launcher's window and waits until the button is let go.
drop_on_first() {
    local x y
    read -r x y < <(button_at 1 $(geometry_of "$1" | awk '{print $1, $2}'))
    drop_at "$x" "$y" "$work/dropped"
}

# --- a clean run: the versions each file goes through, and how long a save takes ----------
restore
pid=$(start)
wait_for 30 has_window "$pid"
wid=$(window_of "$pid")
check "the window shows" test -n "$wid"
sleep 1
cp "$app/tavolin.txt" "$versions/txt.started"
cp "$app/tavolin.ini" "$versions/ini.started"
ln "$app/tavolin.txt" "$work/before-drop"
drop_on_first "$wid"
t0=$(now_ms)
# The save is over when the new data file has been renamed over the old one (a test of the
# shell's own, so that the wait itself costs the launcher no processor time).
while [ "$app/tavolin.txt" -ef "$work/before-drop" ] && [ -d "/proc/$pid" ]; do :; done
saved_ms=$(($(now_ms) - t0))
cp "$app/tavolin.txt" "$versions/txt.dropped"
wmctrl -ic "$wid"
wait_for 30 gone "$pid"
cp "$app/tavolin.txt" "$versions/txt.closed"
cp "$app/tavolin.ini" "$versions/ini.closed"
check "a clean close ends the launcher" gone "$pid"
check "and leaves no temporary file" test -z "$(temporaries)"
check "the drop's save changes the data file" differ "$versions/txt.old" "$versions/txt.dropped"
check "and the close changes it no more" cmp -s "$versions/txt.dropped" "$versions/txt.closed"
check "the close changes the settings file" differ "$versions/ini.old" "$versions/ini.closed"
check "the settings file keeps the user's line" grep -q '^; what the user wrote stays' "$versions/ini.closed"
echo "the data file is in place $saved_ms ms after the drop ($(stat -c %s "$versions/txt.old") bytes)"

# --- kill at random moments of the save -------------------------------------------------------
# The kill falls anywhere from the drop to about when the data file's save ends. Starting the
# sleep and the kill takes a few milliseconds of its own, so the window is a little shorter
# than the save; some kills still fall after it.
window=$((saved_ms * 3 / 4 + 1))
kills=0 before=0 midsave=0 after=0 torn=0 stale=0 not_cleaned=0
started=$SECONDS
while [ "$kills" -lt "$rounds" ] && [ $((SECONDS - started)) -lt "$budget" ]; do
    restore
    pid=$(start)
    if ! wait_for 30 has_window "$pid"; then
        check "round $kills: the launcher starts after a kill" false
        break
    fi
    # The temporaries of the kill before are gone once the window shows.
    left=$(temporaries)
    if [ -n "$left" ]; then
        not_cleaned=$((not_cleaned + 1))
        echo "round $kills: left after the start: $left"
    fi
    wid=$(window_of "$pid")
    delay=$((RANDOM % window))
    drop_on_first "$wid"
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    kill -9 "$pid" 2>/dev/null
    wait_for 10 gone "$pid"
    kills=$((kills + 1))

    if ! is_version txt "$app/tavolin.txt" || ! is_version ini "$app/tavolin.ini"; then
        torn=$((torn + 1))
        echo "round $kills (kill after $delay ms): a file is none of its versions:"
        for kind in txt ini; do
            echo "  tavolin.$kind, $(stat -c %s "$app/tavolin.$kind") bytes, against" \
                "$(cmp "$app/tavolin.$kind" "$versions/$kind.closed" 2>&1 | head -1)"
        done
    fi
    left=$(temporaries)
    if [ -z "$left" ]; then
        if cmp -s "$app/tavolin.txt" "$versions/txt.dropped"; then
            after=$((after + 1))
        else
            before=$((before + 1))
        fi
    else
        midsave=$((midsave + 1))
        stale=$((stale + $(wc -l <<<"$left")))
    fi
done
echo "$kills kills in $((SECONDS - started)) s: $before before the data file's save," \
    "$midsave in the middle of a save ($stale temporary files left), $after after it"
check "many kills ($kills)" test "$kills" -ge 10
check "often in the middle of a save ($midsave)" test "$midsave" -ge 5
check "after every kill both files are whole, old or new ($torn torn)" test "$torn" = 0
check "every start removed the temporaries of the kill before ($not_cleaned did not)" \
    test "$not_cleaned" = 0

# --- the next start after the last kill -------------------------------------------------------
pid=$(start)
wait_for 30 has_window "$pid"
check "the launcher starts after the last kill" has_window "$pid"
check "and no temporary file is left" test -z "$(temporaries)"
wmctrl -ic "$(window_of "$pid")"
wait_for 30 gone "$pid"
check "and its close leaves the data file whole" is_version txt "$app/tavolin.txt"

e2e_finish
