#!/usr/bin/env bash
# Takes the picture of the browse dialog in docs/: opened by F1 on an empty button of a
# launcher started in a folder of documents, in detail view with one file chosen.
#   tools/browse-dialog-screenshot.sh build/dev/src/app/tavolin
set -euo pipefail
source "$(dirname "$0")/screenshot_lib.sh"
shots_setup 1024x768 "$0" "$@"

# A folder of documents in the home folder, with known sizes and times.
folder=$HOME/書類
mkdir -p "$folder/2024" "$folder/写真"
head -c 1843200 /dev/zero >"$folder/見積書.pdf"
head -c 20480 /dev/zero >"$folder/議事録.docx"
printf 'memo\n' >"$folder/メモ.txt"
head -c 700 /dev/zero >"$folder/readme.md"
head -c 5242880 /dev/zero >"$folder/backup.tar.gz"
touch -d "2024-03-01 00:00:00" "$folder/メモ.txt"
touch -d "2024-11-05 14:22:08" "$folder/見積書.pdf"
touch -d "2025-01-20 09:15:42" "$folder/議事録.docx"
touch -d "2023-07-07 18:30:00" "$folder/backup.tar.gz"
touch -d "2024-06-10 10:00:00" "$folder/readme.md" "$folder/2024" "$folder/写真"

cp "$binary" "$work/tavolin"
printf '[無題カテゴリ]\r\n' | iconv -f UTF-8 -t CP932 >"$work/tavolin.txt"
# The dialog opens at the program's current folder.
(cd "$folder" && exec "$work/tavolin") &
app=$!
started+=("$app")
wid=$(xdotool search --sync --onlyvisible --name '^Tavolin$' | head -1)
xdotool windowactivate --sync "$wid" && sleep 1
xdotool key F1 && sleep 1
dialog=""
for w in $(xdotool search --sync --onlyvisible --pid "$app" --class tavolin); do
    [ "$w" != "$wid" ] && dialog=$w
done
# The detail-view button (the toolbar's last), then the row of 見積書.pdf.
xdotool mousemove --window "$dialog" 447 18 click 1 && sleep 0.5
xdotool mousemove --window "$dialog" 70 211 click 1 && sleep 0.3
xdotool mousemove 5 5 && sleep 0.5
import -frame -window "$dialog" "$docs/browse-dialog.png"
echo "wrote $docs/browse-dialog.png"
