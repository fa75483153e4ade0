# Shared by the scripts that take the pictures in docs/: a virtual screen when there is no
# display, a private home and runtime folder, a window manager, and ending what was started.
#
#   source "$(dirname "$0")/screenshot_lib.sh"
#   shots_setup WIDTHxHEIGHT "$0" "$@"     # leaves $work, $docs and $binary
#   start_launcher FOLDER                  # starts FOLDER/tavolin; sets $app and $wid

shots_setup() { # screen size, the script, its arguments
    local size=$1 script=$2
    shift 2
    binary=$(realpath "${1:?usage: $(basename "$script") /path/to/tavolin}")
    docs=$(cd "$(dirname "$script")/../docs" && pwd)
    if [ -z "${DISPLAY:-}" ]; then
        exec xvfb-run -a -s "-screen 0 ${size}x24" "$script" "$@"
    fi
    work=$(mktemp -d /tmp/tavolin-shots.XXXXXX)
    export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/home/.local/share
    unset DBUS_SESSION_BUS_ADDRESS
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    openbox --sm-disable >/dev/null 2>&1 &
    started=($!)
    trap 'kill "${started[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
    sleep 1
}

# Starts another program, ended with the script.
start_other() {
    "$@" &
    started+=($!)
}

start_launcher() { # folder holding the copy and its files
    (cd "$1" && exec ./tavolin) &
    app=$!
    started+=("$app")
    wid=$(xdotool search --sync --onlyvisible --pid "$app" --name '^Tavolin$' | head -1)
}
