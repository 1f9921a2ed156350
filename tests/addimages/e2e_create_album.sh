#!/usr/bin/env bash
# A new user makes an album from a folder tree: the README's run command with an empty settings
# folder, File > Create New Image Depository, a new file, Change Image Folder, Recursive,
# Search, Select All, Add, the run's summary. The main window then shows the new rows and the
# first picture, and the album holds every file byte for byte. Then the file browser, opened from the menu, previews
# a picture of its folder in the main window.
# Given a third argument (the help's images folder) it writes the help pages' screenshots there.
set -euo pipefail
source "$(dirname "$0")/../e2e/x11.sh"
source_dir=$1
build_dir=$2
shots_dir=${3:-}
own_display "$@"
new_session
export HOME=$work QUILLON_NO_BUILD=1 QUILLON_BUILD_DIR=$build_dir QUILLON_SAMPLE=$work/Sample.mdb
q32=$build_dir/cli/q32

# The folder tree: photos at the top and two levels down, and a PNG.
tree=$work/Trip
mkdir -p "$tree/day1/evening" "$tree/day2"
convert -size 120x90 -seed 11 plasma:fractal -resize 900x600! "$tree/coast.jpg"
convert -size 120x90 -seed 12 plasma:fractal -resize 800x600! "$tree/day1/market.jpg"
convert -size 120x90 -seed 13 plasma:fractal -resize 600x800! "$tree/day1/evening/lamps.jpg"
convert -size 120x90 -seed 14 plasma:fractal -resize 640x480! "$tree/day2/boat.png"
pictures="coast.jpg day1/market.jpg day1/evening/lamps.jpg day2/boat.png"

bash "$source_dir/scripts/run.sh" >"$work/run.log" 2>&1 &
pid=$!
sample_window=$(find_window "Sample.mdb" 120) || fail "the main window did not show"

shot() { import -window root "$work/$1.png"; }
fail() { echo "FAIL: $*"; cp "$work"/*.png "${QUILLON_E2E_SHOTS:-/tmp}/" 2>/dev/null || true; exit 1; }
# keep NAME WINDOW-ID: the window's pixels, small, for the help pages.
keep() {
    [ -n "$shots_dir" ] || return 0
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$2")"
    import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -resize 75% -colors 96 -strip \
        "PNG8:$shots_dir/$1.png"
}

# type_into BEFORE TEXT: types the text and Return into the dialog that opened after BEFORE.
type_into() {
    local dialog
    dialog=$(new_window "$1") || fail "no dialog opened"
    focus "$dialog"
    xdotool type --delay 20 "$2"
    xdotool key Return
    wait_for 20 closed "$dialog" || fail "the dialog did not take $2"
}
# File > Create New Image Depository (its file dialog).
before=$(visible_windows)
menu "$sample_window" alt+f n
type_into "$before" "$work/Trip album"

add_window=$(find_window "Add Images to Depository") || fail "no Add Images window"
shot addimages
before=$(visible_windows)
click_text "$add_window" Change Image Folder
type_into "$before" "$tree"
click_text "$add_window" Recursive
click_text "$add_window" Search
shows() { window_shot "$work/$1.png" "$add_window" && text_in "$work/$1.png" "$2"; }
wait_for 20 shows searched lamps.jpg || fail "Search listed no file of the tree"
keep add-images "$add_window"
click_text "$add_window" Select All
wait_for 10 shows selected boat.png || fail "Select All listed nothing"
before=$(visible_windows)
click_text "$add_window" Add
duplicates=$(new_window "$before") || fail "no question about duplicate names"
focus "$duplicates"
xdotool key Return # "ALLOW DUPLICATE IMAGE FILE NAMES": No
summary=$(find_window "^FYI$") || fail "no summary at the end of the run"
shot summary
focus "$summary"
xdotool key Return # "4 stored, 0 skipped, 0 failed."
protect=$(find_window "^SECURITY$") || fail "no protect question after the run"
focus "$protect"
xdotool key Escape # no password
main_window=$(find_window "Trip album.mdb") || fail "the main window did not open the new album"
read -r mx my _ _ < <(geometry "$main_window")
# The grid's first row highlighted and a picture in the preview.
highlight="srgb(48,140,198)"
preview_colours() { convert "$work/main.png" -crop "240x180+$((mx + 8 + 30))+$((my + 28 + 30 + 60))" +repage -format %k info:; }
shown() {
    shot main
    convert "$work/main.png" -crop 1000x600+$((mx + 300))+$((my + 60)) +repage -fill black +opaque "$highlight" \
        -format '%[fx:mean<1]' info: | grep -q 1 && [ "$(preview_colours)" -gt 50 ]
}
wait_for 20 shown || true

album="$work/Trip album.mdb"
[ -f "$album" ] || fail "no album was made"
"$q32" list "$album" >"$work/list.txt"
cat "$work/list.txt"
rows=$(($(wc -l <"$work/list.txt") - 1))
[ "$rows" -eq 4 ] || fail "the album holds $rows rows, not 4"
for p in $pictures; do
    id=$(tail -n +2 "$work/list.txt" | awk -F'\t' -v n="$(basename "$p")" '$3 == n {print $1}')
    [ -n "$id" ] || fail "$p is not in the album"
    "$q32" extract "$album" "$id" "$work/out" >/dev/null 2>&1
    cmp -s "$work/out" "$tree/$p" || fail "$p is not stored byte for byte"
done

# The screenshot: four rows with text in the grid, the fifth empty; the first row highlighted;
# a picture in the preview frame.
highlight="srgb(48,140,198)"
read -r _ rowh rowx rowy < <(convert "$work/main.png" -crop 1000x600+$((mx + 300))+$((my + 60)) +repage \
    -fill black +opaque "$highlight" -fill white -opaque "$highlight" -trim -format '%w %h %X %Y\n' info: | tr -d '+')
rowx=$((rowx + mx + 300)); rowy=$((rowy + my + 60))
echo "first row at $rowx,$rowy, $rowh pixels high"
text_in_row() { # 1-based row: how many dark pixels its band holds
    local y=$((rowy + ($1 - 1) * (rowh + 1)))
    convert "$work/main.png" -crop "500x${rowh}+$((rowx + 10))+$y" +repage -colorspace gray \
        -threshold 50% -negate -format '%[fx:int(mean*w*h+0.5)]' info:
}
for r in 2 3 4; do
    n=$(text_in_row "$r"); echo "row $r: $n dark pixels"
    [ "$n" -gt 20 ] || fail "row $r of the grid is empty"
done
n=$(text_in_row 5); echo "row 5: $n dark pixels"
[ "$n" -lt 5 ] || fail "the grid shows a fifth row"
colours=$(preview_colours)
echo "preview frame: $colours colours"
[ "$colours" -gt 50 ] || fail "no picture in the preview"

# The file browser from the Depository menu: the Home drive, the trip's folder, a click on a
# picture; OK keeps the folder and shows its first picture with its description line.
menu "$main_window" alt+d b
browser_window=$(find_window "Browse Picture Files") || fail "no file browser"
# The drive box lies under its label "Drives:".
read -r x y _ h < <(text_place "$browser_window" Drives:) || fail "no Drives: label"
before=$(visible_windows)
xdotool mousemove $((x + 20)) $((y + h + 14)) click 1
new_window "$before" >/dev/null || fail "the drive box did not open"
shot drives
xdotool key Home Return
click_text "$browser_window" Trip
shot browser
click_text "$browser_window" coast.jpg
id=$(find_window "Trip album.mdb") || fail "no main window"
read -r _ _ _ mh < <(geometry "$id")
status_dark() {
    convert "$work/accepted.png" -crop "700x18+$mx+$((my + mh - 20))" +repage -colorspace gray -threshold 50% \
        -negate -format '%[fx:int(mean*w*h+0.5)]' info:
}
described() { shot accepted && [ "$(status_dark)" -gt 100 ]; }
wait_for 10 described || true
shot browsed
keep file-browser "$browser_window"
focus "$browser_window"
xdotool key alt+o
wait_for 10 closed "$browser_window" || fail "OK did not close the file browser"
shot accepted
grep -q "^ThumbNailsDir=$tree/\$" "$XDG_CONFIG_HOME/quillon32/quillon32.ini" || fail "the folder was not kept"
status=$(status_dark)
echo "status line: $status dark pixels"
[ "$status" -gt 100 ] || fail "no description line under the grid"
[ -n "${QUILLON_E2E_SHOTS:-}" ] && cp "$work"/*.png "$QUILLON_E2E_SHOTS/"
echo PASS
