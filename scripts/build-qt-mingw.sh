#!/usr/bin/env bash
# Builds the Qt for MinGW that the Windows cross build uses, for a clone without the toolchain
# archive of ../shared/toolchains/: Qt 6.4.2 qtbase (Core, Gui, Widgets, Network, Test; the
# windows, offscreen and minimal platform plugins) for 64-bit Windows, with Debian's MinGW-w64
# cross compiler, from Debian's own source package qt6-base 6.4.2+dfsg-10, the version of the
# Linux qt6-base-dev whose moc, rcc and uic the cross build runs. It takes about 40 minutes on
# two cores.
#
#   scripts/build-qt-mingw.sh [DIR]               builds and installs Qt into DIR
#                                                 (default build/qt-mingw)
#   scripts/build-qt-mingw.sh --configure-only    fetches and configures only
#
# DIR then holds mingw-toolchain.cmake at its top, the CMake toolchain file that the `windows`
# and `windows-release` presets and scripts/test.sh expect there. Adds a deb-src line for
# bookworm when apt has none, and installs what the build needs (apt-get, through sudo when
# not root). The sources and the build stay in DIR.src (removed at the end of a full build).
set -euo pipefail

configure_only=0
if [ "${1:-}" = "--configure-only" ]; then
    configure_only=1
    shift
fi
here=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-$here/build/qt-mingw}
if [ -f "$prefix/.ready" ] && [ -f "$prefix/mingw-toolchain.cmake" ]; then
    echo "$prefix holds a Qt for MinGW already; remove it first to build another" >&2
    exit 0
fi
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
work=$prefix.src
version=6.4.2
debian_version=6.4.2+dfsg-10

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

# Debian's source package: apt needs a deb-src line for bookworm to fetch it.
if ! grep -rqsE '^(deb-src .* bookworm |Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "adding a deb-src line for bookworm" >&2
    # Signed by Debian's archive key, as the deb lines are (apt refuses two keys for one source).
    signed=""
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    [ -f "$keyring" ] && signed="[signed-by=$keyring] "
    echo "deb-src ${signed}http://deb.debian.org/debian bookworm main" |
        $sudo tee /etc/apt/sources.list.d/tavolin-bookworm-src.list >/dev/null
    $sudo apt-get update -qq
fi
need=()
for p in g++-mingw-w64-x86-64-posix cmake ninja-build qt6-base-dev qt6-base-dev-tools xz-utils; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}"
fi

mkdir -p "$work"
cd "$work"
orig=qt6-base_$version+dfsg.orig.tar.xz
if [ ! -f "$orig" ]; then
    apt-get source --download-only "qt6-base=$debian_version"
fi
if [ ! -d "qtbase-everywhere-src-$version" ]; then
    tar -xJf "$orig"
fi

# The toolchain file, at the top of the Qt folder: it adds that folder to the search roots,
# so that the program's build finds this Qt through it.
cat >"$prefix/mingw-toolchain.cmake" <<'TOOLCHAIN'
# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX threads). This file lives in
# the Qt for MinGW folder, so that folder is searched as a root as well.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${CMAKE_CURRENT_LIST_DIR}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
TOOLCHAIN

# The options of the archive in ../shared/toolchains/ (its README lists them): qtbase's
# libraries without SQL, OpenGL, D-Bus, printing, XML and TLS; the third-party libraries built
# in rather than taken from the system; no tablet events (Debian's source leaves out the Wintab
# header) and no dynamic OpenGL (6.4.2 does not build it without OpenGL).
cmake -S "qtbase-everywhere-src-$version" -B build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_openssl=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_doubleconversion=OFF
if [ "$configure_only" -eq 1 ]; then
    echo "configured in $work/build; run without --configure-only to build and install" >&2
    exit 0
fi
cmake --build build --parallel "$(nproc)"
cmake --install build
touch "$prefix/.ready"
cd "$here"
rm -rf "$work"
echo "Qt $version for MinGW is in $prefix" >&2
