#!/usr/bin/env bash
# The Windows packages as a user gets them: the portable zip and the installer that cpack
# makes from this build, each in a new Wine prefix with nothing of the build on its paths (no
# WINEPATH, no QT_PLUGIN_PATH): what they hold must be enough to start.
#
#   windows_package_e2e.sh BUILD-FOLDER
# The zip is unpacked into a folder with Japanese in its name; its tavolin.exe starts with its
# window, runs a button on F5 and on a command line with a category outside the ANSI code page,
# and writes its files beside itself. The installer is installed silently (/S); its Start-menu
# entry starts the installed tavolin.exe, which keeps its files in AppData\Local\tavolin.
# TAVOLIN_E2E_SHOT=file.png keeps a picture of the screen with the portable copy's window.
set -uo pipefail

build=${1:?usage: windows_package_e2e.sh BUILD-FOLDER}
for tool in cpack makensis unzip; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
source "$(dirname "$0")/e2e_lib.sh"
# (e2e_setup wants a binary to copy; the packages bring their own.)
e2e_setup /dev/null unzip
rm -f "$app/tavolin"

(cd "$work" && cpack -G "ZIP;NSIS" --config "$build/CPackConfig.cmake" -B "$work/out") \
    >"$work/cpack.log" 2>&1
check "cpack makes the packages" test $? = 0
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
zip=$work/out/tavolin-$version-win64.zip
setup=$work/out/tavolin-$version-win64-setup.exe
check "the zip is tavolin-$version-win64.zip" test -f "$zip"
check "the installer is tavolin-$version-win64-setup.exe" test -f "$setup"
[ -f "$zip" ] && [ -f "$setup" ] || { cat "$work/cpack.log"; e2e_finish; exit 1; }

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
server=$(dirname "$wine")/wineserver
[ -x "$server" ] || server=wineserver
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset WINEPATH QT_PLUGIN_PATH WINEQT_PLUGIN_PATH QT_QPA_PLATFORM
echo "# ${SECONDS} s: a new Wine prefix"
"$wine" wineboot -i >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
"$server" -w
to_wine() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
window() { xdotool search --onlyvisible --name '^Tavolin$' 2>/dev/null | head -1; }
# Starts a Windows program in the background, to be ended with the script.
run_wine() {
    "$wine" "$@" >>"$work/stderr.log" 2>&1 &
    echo $! >>"$work/pids"
    echo $!
}
# Waits for the launcher's window; Wine has no GDI and USER figures, which the launcher says
# in an error box at start and runs on.
await_window() {
    wait_for 90 bash -c "xdotool search --onlyvisible --name '^(Tavolin|エラー)\$' >/dev/null 2>&1"
    if visible '^エラー$'; then
        xdotool windowactivate --sync "$(xdotool search --onlyvisible --name '^エラー$' | head -1)"
        xdotool key --clearmodifiers Return
    fi
    wait_for 30 test -n "$(window)"
}

echo "# ${SECONDS} s: the portable zip"
# --- the portable zip ----------------------------------------------------------------------
portable="$work/タヴォリン 0.1"
mkdir -p "$portable"
unzip -q "$zip" -d "$portable"
folder="$portable/tavolin-$version-win64"
check "the zip holds one folder with tavolin.exe" test -f "$folder/tavolin.exe"
for file in Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6Network.dll platforms/qwindows.dll \
    styles/qwindowsvistastyle.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll \
    translations/qtbase_ja.qm README.txt LICENSE.txt licences/LGPL-3.txt \
    licences/Qt-and-its-bundled-libraries.txt licences/MinGW-GCC-runtime.txt; do
    check "the zip holds $file" test -f "$folder/$file"
done
check "its README.txt is the read-me for Windows" grep -q '^Tavolin for Windows' "$folder/README.txt"
check "nothing of the build: no test DLL, no import library, no tavolin_installed" \
    test -z "$(cd "$folder" && find . -iname '*Test*.dll' -o -name '*.a' -o -iname '*installed*')"

mkdir -p "$work/targets"
for key in F5 F1 F2; do
    printf '@echo off\r\necho %s> "%s"\r\n' "$key" "$(to_wine "$work/marker-$key")" \
        >"$work/targets/$key.bat"
done
# UTF-8 with a byte-order mark: the second category's name has no code page 932 form, and
# reaches the program only through its UTF-16 command line.
printf '\xef\xbb\xbf[無題カテゴリ]\r\n1:5=%s\r\n1:1=%s\r\n[한글]\r\n1:2=%s\r\n' \
    "$(to_wine "$work/targets/F5.bat")" "$(to_wine "$work/targets/F1.bat")" \
    "$(to_wine "$work/targets/F2.bat")" >"$folder/tavolin.txt"

exe=$(to_wine "$folder/tavolin.exe")
pid=$(cd "$folder" && run_wine "$exe")
await_window
wid=$(window)
check "the portable copy shows its window" test -n "$wid"
if [ -n "${TAVOLIN_E2E_SHOT:-}" ] && [ -n "$wid" ]; then
    sleep 2
    import -window root "$TAVOLIN_E2E_SHOT"
fi
if [ -n "$wid" ]; then
    xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
    sleep 0.5
    xdotool key --clearmodifiers F5
    check "F5 runs the button of slot 5" wait_for 20 test -s "$work/marker-F5"
    "$wine" "$exe" --category 無題カテゴリ --page 1 --press F1 >"$work/press1.log" 2>&1
    check "--category 無題カテゴリ --page 1 --press F1 runs its button (status $?)" \
        wait_for 20 test -s "$work/marker-F1"
    "$wine" "$exe" --category 한글 --press shift+F2 >"$work/press2.log" 2>&1
    status=$?
    check "an empty button is refused with status 1 ($status)" test "$status" = 1
    check "and its reason on standard error, the category's name in UTF-8" \
        grep -qF '"한글" is an empty button' "$work/press2.log"
    "$wine" "$exe" --category 한글 --press F2 >>"$work/press2.log" 2>&1
    check "a category outside code page 932 is found from the command line" \
        wait_for 20 test -s "$work/marker-F2"
    # An empty button opens the browse dialog on the process's current folder (the program's
    # folder here); OK takes that folder, stored with "\" only.
    xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
    sleep 0.5
    xdotool key --clearmodifiers F3
    browse='^フォルダ / ファイルの参照$'
    check "F3 on an empty button opens the browse dialog" wait_for 30 visible "$browse"
    xdotool windowactivate --sync "$(xdotool search --onlyvisible --name "$browse" | head -1)"
    sleep 0.5
    xdotool key --clearmodifiers Return
    stored() { tr -d '\r' <"$folder/tavolin.txt" | grep -q "^1:3=$1 <TS>"; }
    check "OK stores the current folder with its drive and \"\\\" only" \
        wait_for 20 stored "$(to_wine "$folder" | sed 's/[][\\.*^$]/\\&/g')"
    "$wine" "$exe" --quit >/dev/null 2>&1
    check "--quit ends the portable copy" wait_for 30 bash -c "! kill -0 $pid 2>/dev/null"
fi
check "the settings file is written beside the executable" \
    grep -q '^Width=[0-9]' "$folder/tavolin.ini"
check "the data file beside it keeps its buttons" grep -q '^1:5=' "$folder/tavolin.txt"
"$server" -w

echo "# ${SECONDS} s: the installer"
# --- the installer -------------------------------------------------------------------------
"$wine" "$(to_wine "$setup")" /S >"$work/setup.log" 2>&1
check "the silent install succeeds" test $? = 0
"$server" -w
drive=$WINEPREFIX/drive_c
installed="$drive/Program Files/Tavolin"
check "tavolin.exe is in Program Files\\Tavolin" test -f "$installed/tavolin.exe"
check "with its platform plugin" test -f "$installed/platforms/qwindows.dll"
check "and an uninstaller" test -f "$installed/Uninstall.exe"
check "and Qt's Japanese translation" test -f "$installed/translations/qtbase_ja.qm"
shortcut=$(find "$drive" -ipath '*Start Menu*' -iname 'Tavolin.lnk' | head -1)
check "a Start-menu entry" test -n "$shortcut"
# Opened as the shell opens it: Wine's start follows the shortcut to its program.
(cd "$work" && run_wine start /unix "$shortcut" >/dev/null)
await_window
check "the Start-menu entry starts the installed copy" test -n "$(window)"
"$wine" "$(to_wine "$installed/tavolin.exe")" --quit >/dev/null 2>&1
no_window() { test -z "$(window)"; }
check "--quit ends the installed copy" wait_for 30 no_window
local_ini=$(find "$drive/users" -ipath '*AppData/Local/tavolin/tavolin.ini' | head -1)
check "its settings live in AppData\\Local\\tavolin" test -n "$local_ini"
check "and nothing beside the installed executable" test ! -e "$installed/tavolin.ini"
"$server" -k 2>/dev/null
e2e_finish
