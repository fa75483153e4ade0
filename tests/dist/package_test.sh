#!/usr/bin/env bash
# Builds the Debian package from the built tree into a temporary folder, as `cpack -G DEB`
# does from the release build, and checks its control data and contents: the run-time
# dependencies found by dpkg-shlibdeps, the recommended Japanese font and Qt translations, and
# the files.
#
#   package_test.sh /path/to/build
set -uo pipefail

build=${1:?usage: package_test.sh /path/to/build}
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

work=$(mktemp -d /tmp/tavolin-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
# check, shared with the end-to-end scripts.
source "$(dirname "$0")/../e2e/e2e_lib.sh"

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1
check "cpack succeeds" test $? = 0
deb=$(ls "$work"/out/tavolin_*_*.deb 2>/dev/null | head -1)
check "the package is named tavolin_<version>_<architecture>.deb" test -n "$deb"

info=$(dpkg-deb --info "$deb" 2>&1)
echo "$info"
field() { sed -n "s/^ $1: //p" <<<"$info"; }
check "package tavolin" test "$(field Package)" = tavolin
depends=$(field Depends)
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libglib2.0-0 libc6 qt6-qpa-plugins libqt6svg6; do
    check "depends on $dep" grep -q "\(^\|, \)$dep\( \|,\|$\)" <<<"$depends"
done
# The single-instance channel is a Unix socket of the program's own: no network library.
check "does not depend on libqt6network6" test "${depends/libqt6network6/}" = "$depends"
for rec in fonts-ipafont-gothic qt6-translations-l10n; do
    check "recommends $rec" grep -q "$rec" <<<"$(field Recommends)"
done

contents=$(dpkg-deb --contents "$deb")
for file in ./usr/bin/tavolin ./usr/share/applications/tavolin.desktop \
    ./usr/share/icons/hicolor/scalable/apps/tavolin.svg \
    ./usr/share/icons/hicolor/16x16/apps/tavolin.png \
    ./usr/share/icons/hicolor/256x256/apps/tavolin.png ./usr/share/doc/tavolin/copyright; do
    check "holds $file" grep -q " $file\$" <<<"$contents"
done
check "the program is stripped" bash -c \
    "dpkg-deb --fsys-tarfile '$deb' | tar -xO ./usr/bin/tavolin > '$work/tavolin' &&
     ! readelf -S '$work/tavolin' | grep -q debug_info"

if [ "$failed" -ne 0 ]; then cat "$work/cpack.log"; fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
