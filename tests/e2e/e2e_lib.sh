# Shared by the end-to-end scripts: checks and waits, a private home and runtime folder, a
# window manager, and starting the built launcher from a folder of its own.
#
#   source e2e_lib.sh; e2e_setup /path/to/tavolin
# leaves $work (removed at exit), $app (the launcher's folder, with the binary as ./tavolin)
# and the helpers below.

passed=0
failed=0
wm_pid=""
bus_pid=""

e2e_cleanup() {
    # Only the processes this script started, by their ids.
    if [ -f "$work/pids" ]; then
        while read -r p; do kill -9 "$p" 2>/dev/null; done <"$work/pids"
    fi
    stop_wm
    # xfconfd may still be writing its settings as it ends with its bus.
    rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work"; }
}

# Starts a window manager in the background. xfwm4 reads its settings over D-Bus and does
# not manage windows without them: it gets a private session bus of its own, with its
# compositor on, as on a usual desktop.
start_wm() { # openbox | xfwm4
    case $1 in
    xfwm4)
        local address
        address=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$work/bus.pid")
        bus_pid=$(cat "$work/bus.pid")
        DBUS_SESSION_BUS_ADDRESS=$address NO_AT_BRIDGE=1 xfwm4 --compositor=on >>"$work/wm.log" 2>&1 &
        ;;
    *) openbox --sm-disable >>"$work/wm.log" 2>&1 & ;;
    esac
    wm_pid=$!
}
stop_wm() {
    if [ -n "$wm_pid" ]; then
        kill "$wm_pid" 2>/dev/null
        wait "$wm_pid" 2>/dev/null
    fi
    # The bus ends the services it started (xfconfd) when it goes.
    [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
    wm_pid="" bus_pid=""
}

check() { # description, command...
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $what"
    else
        failed=$((failed + 1))
        echo "FAILED: $what"
    fi
}

wait_for() { # seconds, command...
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    while [ $SECONDS -lt $end ]; do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

probe_managed() {
    local id
    id=$(xdotool search --classname '^tavolin-wm-probe$' 2>/dev/null | head -1)
    [ -n "$id" ] && xprop -id "$id" WM_STATE 2>/dev/null | grep -q Normal
}
has_work_area() { xprop -root _NET_WORKAREA 2>/dev/null | grep -q ' = '; }

e2e_setup() { # binary, extra tools...
    local binary=$1
    shift
    if [ -z "${DISPLAY:-}" ]; then
        echo "SKIP: no X display (run under xvfb-run)"
        exit 77
    fi
    local tool
    for tool in xdotool xprop xwininfo wmctrl iconv xmessage "$@"; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
    done
    work=$(mktemp -d /tmp/tavolin-e2e.XXXXXX)
    trap e2e_cleanup EXIT

    # A private home, runtime folder and session, so that no other copy or setting interferes.
    export HOME=$work/home
    export XDG_RUNTIME_DIR=$work/run
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS

    # Stacking, focus and the taskbar state need a window manager: openbox, or the one that
    # TAVOLIN_E2E_WM names (openbox or xfwm4). It is ready once it has published the work
    # area; one that does not get there is started again.
    local wanted=${TAVOLIN_E2E_WM:-openbox}
    if wmctrl -m >/dev/null 2>&1; then
        if [ -n "${TAVOLIN_E2E_WM:-}" ] && ! wmctrl -m | grep -qix "name: $wanted"; then
            echo "SKIP: another window manager than $wanted runs"
            exit 77
        fi
    else
        command -v "$wanted" >/dev/null || { echo "SKIP: no window manager and no $wanted"; exit 77; }
        local attempt
        for attempt in 1 2 3; do
            start_wm "$wanted"
            wait_for 10 has_work_area && break
            echo "window manager not ready (attempt $attempt)"
            stop_wm
        done
    fi
    wait_for 10 has_work_area
    # Publishing the work area is not yet taking windows on (the window manager may still be
    # loading its fonts): wait until a probe window is managed, replacing a probe that is not.
    local probe
    for attempt in 1 2 3 4 5 6; do
        probe=$(start_other xmessage -name tavolin-wm-probe "probe")
        if wait_for 5 probe_managed; then
            kill "$probe" 2>/dev/null
            break
        fi
        kill "$probe" 2>/dev/null
    done
    wait_for 5 bash -c "! xdotool search --classname '^tavolin-wm-probe\$' >/dev/null 2>&1"

    app=$work/app
    mkdir -p "$app"
    cp "$binary" "$app/tavolin"
}

# Starts a copy in $app in the background and prints its process id.
start() {
    (cd "$app" && exec ./tavolin "$@") >>"$work/stderr.log" 2>&1 &
    echo $! >>"$work/pids"
    echo $! >>"$work/launchers"
    echo $!
}
# Starts any other program in the background, to be ended with the script, and prints its id.
start_other() {
    "$@" >>"$work/other.log" 2>&1 &
    echo $! >>"$work/pids"
    echo $!
}
window_of() { xdotool search --onlyvisible --pid "$1" --name '^Tavolin$' 2>/dev/null | head -1; }
has_window() { test -n "$(window_of "$1")"; }
# Running, and not a zombie waiting for a parent that does not reap it.
alive() { [ -r "/proc/$1/stat" ] && ! grep -q '^[0-9]* (.*) Z ' "/proc/$1/stat"; }
# "x y width height" of a window on the screen.
geometry_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print x, y, w, h}'
}
# "WIDTHxHEIGHT" of a window.
size_of() { geometry_of "$1" | awk '{print $3 "x" $4}'; }
# Makes a window the active one, waits until it is, and lets it settle.
bring_forward() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
    wait_for 5 bash -c "[ \"\$(xdotool getactivewindow)\" = $1 ]"
    sleep 0.5
}
# Whether a window is the active one, at the given size.
active_at() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && [ "$(size_of "$1")" = "$2" ]; }
work_area() { xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | awk '{print $1, $2, $3, $4}'; }

# A window of the launcher $pid other than its main window $wid, by its title (xdotool's own
# name search does not match Japanese text).
window_titled() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        [ "$w" = "$wid" ] && continue
        xprop -id "$w" _NET_WM_NAME 2>/dev/null | grep -qF "\"$1\"" && echo "$w" && return
    done
}
titled_shown() { [ -n "$(window_titled "$1")" ]; }
titled_gone() { [ -z "$(window_titled "$1")" ]; }
# Clicks at x,y of a window's client area and lets the click take effect.
click_in() { # window, x, y
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.3
}

# Drags files from a new window of the drag source (its path in $source_binary) onto the
# screen point x,y and lets go; returns once the button is released, and leaves the source's
# process id in $source_pid (it ends when the drop has been answered).
drop_at() { # x y files...
    local x=$1 y=$2 step
    shift 2
    source_pid=$(start_other "$source_binary" 600 400 "$@")
    wait_for 10 bash -c "xdotool search --onlyvisible --name '^tavolin-drag-source$' >/dev/null 2>&1"
    sleep 0.3
    xdotool mousemove 660 460 sleep 0.2 mousedown 1
    for step in 1 2 3 4 5 6; do
        xdotool mousemove $((660 + (x - 660) * step / 6)) $((460 + (y - 460) * step / 6)) sleep 0.15
    done
    xdotool sleep 0.4 mouseup 1
}
# The screen point of button n's centre in a launcher window at lx,ly: the bar starts 16 pixels
# into the client area (past the title strip) inside the 3-pixel frame; buttons are 23 square.
button_at() { # n lx ly
    local row=$((($1 - 1) / 12)) col=$((($1 - 1) % 12))
    echo "$(($2 + 3 + 16 + col * 23 + 11)) $(($3 + 3 + 16 + row * 23 + 11))"
}

e2e_finish() {
    if [ "$failed" -ne 0 ]; then
        echo "--- the launcher's output:"
        cat "$work/stderr.log" 2>/dev/null
        echo "--- the window manager's output:"
        cat "$work/wm.log" 2>/dev/null
        wmctrl -m
    fi
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
