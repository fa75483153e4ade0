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
