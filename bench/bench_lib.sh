# Set-up shared by the benchmark scripts that start the launcher on the 100,000-line data file.
#
#   bench_setup INNER_VARIABLE FOLDER_PREFIX BUILD_DIR RUNS PROGRAM...
#
# Checks that the programs are built, runs the calling script again under xvfb-run (once:
# INNER_VARIABLE marks the inner run), and makes the work folder $work (removed at exit) with
# a home and runtime folder of its own, the launcher and the data file in it. Expects $root.
bench_setup() {
    local inner=$1 prefix=$2 build=$3 runs=$4 program
    shift 4
    for program in "$@"; do
        [ -x "$program" ] || { echo "missing $program: build with the release preset first" >&2; exit 2; }
    done
    if [ -z "${!inner:-}" ]; then
        export "$inner=1"
        exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$runs"
    fi
    work=$(mktemp -d "/tmp/$prefix.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    export HOME=$work/home XDG_RUNTIME_DIR=$work/run
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM
    cp "$build/src/app/tavolin" "$work/tavolin"
    "$root/bench/make_100k_data.sh" "$work/tavolin.txt"
}
