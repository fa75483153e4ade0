#!/usr/bin/env bash
# End to end: another program appends a category line to the data file every 2 ms while the
# launcher writes it: a drop on a button, the options dialog's OK on its button list, the
# category editor's OK, and --quit. No appended line is lost, and each action's own change
# is in the file too.
#
#   second_writer_e2e.sh /path/to/tavolin /path/to/drag_source [MEGABYTES] [ROUNDS]
# MEGABYTES (default 4) is the data file's size, ROUNDS (default 1) how often each action runs.
set -uo pipefail

binary=${1:?usage: second_writer_e2e.sh /path/to/tavolin /path/to/drag_source [MB] [ROUNDS]}
source_binary=${2:?usage: second_writer_e2e.sh /path/to/tavolin /path/to/drag_source [MB] [ROUNDS]}
megabytes=${3:-4}
rounds=${4:-1}
here=$(dirname "$0")
source "$here/e2e_lib.sh"
e2e_setup "$binary" python3

files=$work/files
mkdir -p "$files"
touch "$files/dropped"
data=$app/tavolin.txt
# Page 1 first and the rest behind it, so that every write rewrites the whole file.
make_data() {
    awk -v lines=$((megabytes * 1024 * 1024 / 40)) 'BEGIN {
        printf "[main]\r\n";
        for (n = 0; n < lines; n++) printf "%d:%d=/usr/share <TS>b%d<TE>\r\n", 2 + n / 24, 1 + n % 24, n
    }' >"$data"
}

# The other writer: a line "[TAG N]" every 2 ms, each in a write of its own, until stopped;
# it prints how many it wrote.
cat >"$work/appender.py" <<'EOF'
import os, signal, sys, time
path, tag, stop, n = sys.argv[1], sys.argv[2].encode(), [False], 0
signal.signal(signal.SIGTERM, lambda *_: stop.__setitem__(0, True))
while not stop[0]:
    fd = os.open(path, os.O_WRONLY | os.O_APPEND)
    os.write(fd, b"[%s %d]\r\n" % (tag, n))
    os.close(fd)
    n += 1
    time.sleep(0.002)
print(n)
EOF
appender_pid=""
tag=""
start_appender() { # tag
    tag=$1
    python3 "$work/appender.py" "$data" "$tag" >"$work/appended" &
    appender_pid=$!
    echo "$appender_pid" >>"$work/pids"
    sleep 0.3
}
# Stops the appender; true when the file holds every line it wrote, each once.
stop_appender() {
    sleep 0.3
    kill -TERM "$appender_pid"
    wait "$appender_pid"
    local wrote kept
    wrote=$(cat "$work/appended")
    kept=$(grep -c "^\[$tag [0-9]*\]" "$data")
    lost=$((wrote - kept))
    echo "  $wrote lines appended, $kept in the file"
    [ "$wrote" -gt 0 ] && [ "$kept" = "$wrote" ] &&
        [ "$(grep -o "^\[$tag [0-9]*\]" "$data" | sort -u | wc -l)" = "$wrote" ]
}

launch() {
    make_data
    pid=$(start)
    wait_for 30 has_window "$pid"
    wid=$(window_of "$pid")
    xdotool windowactivate --sync "$wid" >/dev/null 2>&1
    sleep 0.5
    read -r lx ly lw lh < <(geometry_of "$wid")
}

for round in $(seq "$rounds"); do
    echo "round $round"
    launch

    # A drop on button 5: the page is saved at once.
    start_appender drop
    read -r x y < <(button_at 5 "$lx" "$ly")
    drop_at "$x" "$y" "$files/dropped"
    check "a drop is saved" wait_for 60 grep -q "^1:5=$files/dropped" "$data"
    check "and keeps every line appended meanwhile" stop_appender

    # The options dialog on its button list: OK rewrites the whole file from the list.
    xdotool key --clearmodifiers ctrl+s
    check "Ctrl+S opens the options dialog" wait_for 30 titled_shown "オプション設定"
    options=$(window_titled "オプション設定")
    click_in "$options" $((8 + 30)) 12 # the tab ボタン詳細: its list reads the data file
    sleep 2
    start_appender options
    inode=$(stat -c %i "$data")
    click_in "$options" $((182 + 37)) $((364 + 12)) # OK
    wait_for 60 titled_gone "オプション設定"
    check "options OK writes the data file" test "$(stat -c %i "$data")" != "$inode"
    check "and keeps every line appended meanwhile" stop_appender

    # The category editor: a category added, OK writes the file.
    xdotool mousemove --window "$wid" $((16 + 76)) 8 click 1
    sleep 0.5
    xdotool key --clearmodifiers Up Return
    check "the category menu opens the editor" wait_for 30 titled_shown "カテゴリー編集"
    editor=$(window_titled "カテゴリー編集")
    xdotool type --delay 20 "added"
    click_in "$editor" $((192 + 24)) $((8 + 10)) # 追加
    start_appender editor
    click_in "$editor" $((8 + 37)) $((248 + 12)) # OK
    wait_for 60 titled_gone "カテゴリー編集"
    check "category editor OK keeps every line appended meanwhile" stop_appender
    check "and adds its category" grep -q '^\[added\]' "$data"

    # --quit: the close writes only what changed: here nothing.
    start_appender quit
    inode=$(stat -c %i "$data")
    "$app/tavolin" --quit
    check "--quit ends with 0" test $? = 0
    wait_for 30 bash -c "! kill -0 $pid 2>/dev/null"
    check "and keeps every line appended meanwhile" stop_appender
    check "a close with nothing changed writes no data file" test "$(stat -c %i "$data")" = "$inode"
done

e2e_finish
