#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tavolin need, and only
# those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
    g++ cmake make pkg-config dpkg-dev file
    clang-14 libclang-rt-14-dev clang-format-14
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n
    libglib2.0-dev libxcb1-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-ipafont-gothic tango-icon-theme
    xvfb xauth openbox xfwm4 x11-utils xdotool wmctrl imagemagick desktop-file-utils
    dbus python3 python3-dbus python3-gi at-spi2-core python3-pyatspi
    nsis unzip
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

# The Windows cross build: the MinGW-w64 compiler, Wine and the Qt for MinGW, where the
# toolchain archive lies beside the project or TAVOLIN_QT_MINGW names an unpacked Qt.
windows_deps() {
    local here archive env qt
    here=$(cd "$(dirname "$0")/.." && pwd)
    env=$here/../shared/tools/windows-env.sh
    archive=$here/../shared/toolchains/qt6.4.2-mingw64.tar.xz
    qt=${TAVOLIN_QT_MINGW:-$here/build/qt-mingw}
    if [ -x "$env" ] && { [ -f "$archive" ] || [ -f "$qt/mingw-toolchain.cmake" ]; }; then
        [ -f "$qt/mingw-toolchain.cmake" ] && [ ! -f "$archive" ] && touch "$qt/.ready"
        "$env" "$qt" >/dev/null
    fi
}

if [ ${#missing[@]} -eq 0 ]; then
    windows_deps
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
# Some packages (xfonts-base) change font folders after fontconfig's own trigger has built
# its caches; the first program to use fonts would otherwise rebuild them, slowly.
$sudo fc-cache -s
windows_deps
