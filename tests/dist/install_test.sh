#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and checks what a desktop needs of it:
# the desktop entry (desktop-file-validate), the icon theme's folders and picture sizes, the
# licence, and that the installed copy keeps its files in the configuration folder, not
# beside bin/tavolin, even where that folder is writable (as here, or when run as root).
#
#   install_test.sh /path/to/build
set -uo pipefail

build=${1:?usage: install_test.sh /path/to/build}
command -v desktop-file-validate >/dev/null ||
    { echo "SKIP: desktop-file-validate is missing (package desktop-file-utils)"; exit 77; }

work=$(mktemp -d /tmp/tavolin-install.XXXXXX)
pid=""
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# check and wait_for, shared with the end-to-end scripts.
source "$(dirname "$0")/../e2e/e2e_lib.sh"
# The width and height of a PNG, from its header.
png_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); assert d[:8]==b"\x89PNG\r\n\x1a\n"; print("%dx%d" % struct.unpack(">II", d[16:24]))' "$1"; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1
check "cmake --install succeeds" test $? = 0

check "the program is in bin/" test -x "$prefix/bin/tavolin"
entry=$prefix/share/applications/tavolin.desktop
check "the desktop entry is valid" desktop-file-validate "$entry"
for key in 'Name=Tavolin' 'Name\[ja\]=.' 'Comment=.' 'Exec=tavolin$' 'Icon=tavolin$' \
    'Categories=Utility;$' 'StartupWMClass=Tavolin$'; do
    check "the desktop entry has $key" grep -q "^$key" "$entry"
done
icons=$prefix/share/icons/hicolor
check "the scalable icon" grep -q '<svg' "$icons/scalable/apps/tavolin.svg"
for size in 16 22 24 32 48 64 128 256; do
    png=$icons/${size}x${size}/apps/tavolin.png
    check "the ${size}x${size} icon is that size" test "$(png_size "$png" 2>/dev/null)" = "${size}x${size}"
done
check "nothing else in the icon theme" \
    test "$(find "$icons" -type f | wc -l)" = 9
check "the licence" grep -q 'MIT License' "$prefix/share/doc/tavolin/copyright"

# The installed copy in a private home, without a display, started and then closed.
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=offscreen
"$prefix/bin/tavolin" >"$work/run.log" 2>&1 &
pid=$!
check "the installed copy writes its settings in the configuration folder" \
    wait_for 20 test -f "$XDG_CONFIG_HOME/tavolin/tavolin.ini"
"$prefix/bin/tavolin" --quit
check "--quit closes it with 0" test $? = 0
check "and it ends" wait_for 10 bash -c "! kill -0 $pid 2>/dev/null || grep -q '^[0-9]* (.*) Z ' /proc/$pid/stat"
check "its page is saved beside its settings" test -f "$XDG_CONFIG_HOME/tavolin/tavolin.txt"
check "nothing is written beside bin/tavolin" test "$(ls "$prefix/bin")" = tavolin

if [ "$failed" -ne 0 ]; then
    cat "$work/install.log" "$work/run.log"
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
