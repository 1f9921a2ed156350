#!/usr/bin/env bash
# A new user makes an album from a folder tree: the README's run command with an empty settings
# folder, File > Create New Image Depository, a new file, Change Image Folder, Recursive,
# Search, Select All, Add, the run's summary. The main window then shows the new rows and the
# first picture, and the album holds every file byte for byte. Then the file browser, opened from
# the menu, previews a picture of its folder in the main window. Last, with Options > Date Taken
# From Photo and "Skip pictures already in the album" ticked, a folder holding a photo the album
# has (under three other names) and a dated photo: the copies are named in a message with the
# record that holds them; the dated photo gets its EXIF date; the album holds no duplicate.
# Given a third argument (the help's images folder) it writes the help pages' screenshots there.
set -euo pipefail
source "$(dirname "$0")/../e2e/x11.sh"
source_dir=$1
build_dir=$2
shots_dir=${3:-}
own_display "$@"
new_session
export HOME=$work
q32=$build_dir/cli/q32

# The folder tree: photos at the top and two levels down, and a PNG.
tree=$work/Trip
mkdir -p "$tree/day1/evening" "$tree/day2"
convert -size 120x90 -seed 11 plasma:fractal -resize 900x600! "$tree/coast.jpg"
convert -size 120x90 -seed 12 plasma:fractal -resize 800x600! "$tree/day1/market.jpg"
convert -size 120x90 -seed 13 plasma:fractal -resize 600x800! "$tree/day1/evening/lamps.jpg"
convert -size 120x90 -seed 14 plasma:fractal -resize 640x480! "$tree/day2/boat.png"
pictures="coast.jpg day1/market.jpg day1/evening/lamps.jpg day2/boat.png"
photos=$work/photos
mkdir -p "$photos"
for copy in beach "beach copy" holiday; do cp "$tree/coast.jpg" "$photos/$copy.jpg"; done
convert -size 120x90 -seed 15 plasma:fractal -resize 800x600! "$photos/stall.jpg"
exiftool -q -overwrite_original "-DateTimeOriginal=2014:05:06 07:08:09" "$photos/stall.jpg"

run_sample "$build_dir"
sample_window=$(find_window "Sample.mdb" 120) || fail "the main window did not show"

# keep NAME WINDOW-ID: the window's pixels, small, for the help pages.
keep() {
    [ -n "$shots_dir" ] || return 0
    window_shot "$work/keep.png" "$2"
    convert "$work/keep.png" -resize 75% -colors 96 -strip "PNG8:$shots_dir/$1.png"
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
answer "^FYI$" Return "summary at the end of the run" # "4 stored, 0 skipped, 0 failed."
answer "^SECURITY$" Escape "protect question after the run" # no password
main_window=$(find_window "Trip album.mdb") || fail "the main window did not open the new album"
read -r mx my _ mh < <(geometry "$main_window")
# Four rows with text in the grid, the fifth empty, the first highlighted; a picture in the
# preview frame.
preview_colours() { convert "$work/main.png" -crop "240x180+$((mx + 38))+$((my + 118))" +repage -format %k info:; }
text_in_row() { # 1-based row: how many dark pixels its band holds
    convert "$work/main.png" -crop "500x${rowh}+$((rowx + 10))+$((rowy + ($1 - 1) * (rowh + 1)))" +repage \
        -colorspace gray -threshold 50% -negate -format '%[fx:int(mean*w*h+0.5)]' info:
}
shown() {
    shot main && read -r _ rowh rowx rowy < <(colour_box "$work/main.png" "$highlight" 1000 600 $((mx + 300)) $((my + 60))) &&
        [ "$(preview_colours)" -gt 50 ] && [ "$(text_in_row 2)" -gt 20 ] && [ "$(text_in_row 3)" -gt 20 ] &&
        [ "$(text_in_row 4)" -gt 20 ] && [ "$(text_in_row 5)" -lt 5 ]
}
wait_for 20 shown || fail "the window does not show the four rows and the picture ($(preview_colours) colours in the" \
    "preview; dark pixels in rows 2 to 5: $(text_in_row 2) $(text_in_row 3) $(text_in_row 4) $(text_in_row 5))"

album="$work/Trip album.mdb"
"$q32" list "$album" >"$work/list.txt" || fail "no album was made"
[ "$(tail -n +2 "$work/list.txt" | wc -l)" -eq 4 ] || fail "the album holds other than 4 rows: $(cat "$work/list.txt")"
for p in $pictures; do
    id=$(tail -n +2 "$work/list.txt" | awk -F'\t' -v n="$(basename "$p")" '$3 == n {print $1}')
    [ -n "$id" ] || fail "$p is not in the album"
    "$q32" extract "$album" "$id" "$work/out" >/dev/null 2>&1
    cmp -s "$work/out" "$tree/$p" || fail "$p is not stored byte for byte"
done

# The file browser from the Depository menu: the Home drive, the trip's folder, a click on a
# picture; OK keeps the folder and shows its first picture with its description line.
menu "$main_window" alt+d b
browser_window=$(find_window "Browse Picture Files") || fail "no file browser"
# The drive box lies under its label "Drives:".
read -r x y _ h < <(text_place "$browser_window" Drives:) || fail "no Drives: label"
before=$(visible_windows)
xdotool mousemove $((x + 20)) $((y + h + 14)) click 1
new_window "$before" >/dev/null || fail "the drive box did not open"
xdotool key Home Return
click_text "$browser_window" Trip
click_text "$browser_window" coast.jpg
# The picture's description line in the main window's status line.
status_dark() {
    convert "$work/status.png" -crop "700x18+$mx+$((my + mh - 20))" +repage -colorspace gray -threshold 50% \
        -negate -format '%[fx:int(mean*w*h+0.5)]' info:
}
described() { shot status && [ "$(status_dark)" -gt 100 ]; }
wait_for 10 described || fail "no description line under the grid"
keep file-browser "$browser_window"
focus "$browser_window"
xdotool key alt+o
wait_for 10 closed "$browser_window" || fail "OK did not close the file browser"
grep -q "^ThumbNailsDir=$tree/\$" "$XDG_CONFIG_HOME/quillon32/quillon32.ini" || fail "the folder was not kept"
wait_for 10 described || fail "no description line under the grid after OK"

options=$(open_menu "$main_window" alt+o) || fail "no Options menu"
click_text "$options" Date Taken From Photo
wait_for 10 closed "$options" || fail "the Options menu stayed open"
focus "$main_window"
xdotool key ctrl+i
add_window=$(find_window "^Add Images to Depository$") || fail "Ctrl+I opened no Add Images window"
before=$(visible_windows)
click_text "$add_window" Change Image Folder
type_into "$before" "$photos"
click_text "$add_window" Skip pictures already
click_text "$add_window" Search
click_text "$add_window" Select All
wait_for 10 shows listed stall.jpg || fail "Select All listed nothing"
click_text "$add_window" Add
message=$(find_window "^FYI$") || fail "no message about the pictures already in the album"
# It names each copy, and the record of coast.jpg for each.
coast=$(awk -F'\t' '$3 == "coast.jpg" { print $1 }' "$work/list.txt")
names_all() {
    window_shot "$work/message.png" "$message"
    convert "$work/message.png" -resize 300% "$work/message.png"
    text=$(OMP_THREAD_LIMIT=1 tesseract "$work/message.png" - 2>/dev/null | sed 's/\. \([a-z]\)/.\1/g')
    [ "$(grep -c "the same picture as record $coast (coast" <<<"$text")" = 3 ] &&
        grep -q "^beach copy\.jpg" <<<"$text" && grep -q "^beach\.jpg" <<<"$text" && grep -q "^holiday\.jpg" <<<"$text"
}
wait_for 10 names_all || fail "the message does not name the three copies with record $coast: $text"
answer "^FYI$" Return
answer "^SECURITY$" Escape "protect question after the run"
window_gone "^SECURITY$" || fail "Escape did not answer the protect question"
"$q32" list "$album" | cut -f2,3 | tail -n +2 | sort >"$work/dates.txt"
printf "$(date +%F)\t%s\n" coast.jpg market.jpg lamps.jpg boat.png | { cat; printf '2014-05-06\tstall.jpg\n'; } |
    sort | diff - "$work/dates.txt" || fail "the album does not hold the four of today and stall.jpg of the day it was taken"
[ "$("$q32" duplicates "$album" 2>/dev/null | wc -l)" = 1 ] || fail "the album holds a duplicate"
echo PASS
