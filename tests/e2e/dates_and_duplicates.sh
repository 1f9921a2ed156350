#!/usr/bin/env bash
# Options > Date Taken From Photo, then the Add Images window with "Skip pictures already in the
# album" ticked: a folder holding a photo the album has (under three other names) and a dated
# photo. The copies are named in a message with the record that holds them; the dated photo gets
# its EXIF date; the album holds no duplicate.
#
#   dates_and_duplicates.sh QUILLON32 Q32
set -euo pipefail
source "$(dirname "$0")/x11.sh"
program=$1
q32=$2
own_display "$@"
new_session
mkdir -p "$QUILLON32_HOME" "$XDG_CONFIG_HOME/quillon32"
shots=${QUILLON_E2E_SHOTS:-/tmp}
fail() {
    import -window root "$shots/dates_and_duplicates-failure.png" 2>/dev/null || true
    echo "FAIL: $* (screen in $shots/dates_and_duplicates-failure.png)"
    exit 1
}

photos=$work/photos
mkdir -p "$photos"
convert -size 120x90 -seed 11 plasma:fractal -resize 900x600! "$photos/beach.jpg"
exiftool -q -overwrite_original "-DateTimeOriginal=2016:08:21 18:30:05" "$photos/beach.jpg"
cp "$photos/beach.jpg" "$work/old.jpg"
cp "$photos/beach.jpg" "$photos/beach copy.jpg"
cp "$photos/beach.jpg" "$photos/holiday.jpg"
convert -size 120x90 -seed 12 plasma:fractal -resize 800x600! "$photos/market.jpg"
exiftool -q -overwrite_original "-DateTimeOriginal=2014:05:06 07:08:09" "$photos/market.jpg"
album=$work/Trip.mdb
"$q32" add "$album" "$work/old.jpg" 2>/dev/null
printf '[Main]\nLeft=0\nTop=0\nWidth=1100\nHeight=700\n[Directories]\nAddImgFromDir=%s/\n' \
    "$photos" >"$XDG_CONFIG_HOME/quillon32/quillon32.ini"

"$program" "$album" >"$work/run.log" 2>&1 &
pid=$!
main=$(find_window "Trip.mdb") || fail "the main window did not show the album"
options=$(open_menu "$main" alt+o) || fail "no Options menu"
click_text "$options" Date Taken From Photo
wait_for 10 closed "$options" || fail "the Options menu stayed open"
focus "$main"
xdotool key ctrl+i
add=$(find_window "^Add Images to Depository$") || fail "Ctrl+I opened no Add Images window"
click_text "$add" Skip pictures already
click_text "$add" Select All
# The three copies and the dated photo are listed before they are added.
listed() { window_shot "$work/listed.png" "$add" && text_in "$work/listed.png" market.jpg; }
wait_for 10 listed || fail "Select All listed nothing"
click_text "$add" Add
message=$(find_window "^FYI$") || fail "no message about the pictures already in the album"
names_all() {
    window_shot "$shots/dates_and_duplicates-message.png" "$message"
    convert "$shots/dates_and_duplicates-message.png" -resize 300% "$work/message.png"
    text=$(tesseract "$work/message.png" - 2>/dev/null)
    [ "$(grep -c "the same picture as record 1 (old" <<<"$text")" = 3 ]
}
wait_for 10 names_all || true
echo "$text"
[ "$(grep -c "the same picture as record 1 (old" <<<"$text")" = 3 ] ||
    fail "the message does not name record 1 for each of the three copies"
for name in "beach copy" "beach" "holiday"; do
    grep -q "^$name\.jpg" <<<"$text" || fail "the message does not name $name.jpg"
done
focus "$message"
xdotool key Return
security=$(find_window "^SECURITY$") || fail "no protect question after the run"
focus "$security"
xdotool key Escape
window_gone "^SECURITY$" || fail "Escape did not answer the protect question"

"$q32" list "$album" | cut -f2,3 | tail -n +2 | sort >"$work/list.txt"
printf '%s\told.jpg\n2014-05-06\tmarket.jpg\n' "$(date +%F)" | sort | diff - "$work/list.txt" ||
    fail "the album does not hold old.jpg of today and market.jpg of the day it was taken"
[ "$("$q32" duplicates "$album" 2>/dev/null | wc -l)" = 1 ] || fail "the album holds a duplicate"
echo "PASS"
