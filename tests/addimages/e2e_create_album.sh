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
find_window "Sample.mdb" 120 >/dev/null || fail "the main window did not show"
sleep 2

shot() { import -window root "$work/$1.png"; }
fail() { echo "FAIL: $*"; cp "$work"/*.png "${QUILLON_E2E_SHOTS:-/tmp}/" 2>/dev/null || true; exit 1; }
# Top-left corner of the visible window whose title matches.
origin() {
    local id; id=$(find_window "$1")
    xdotool getwindowgeometry "$id" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p'
}
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.7}"; }
# keep NAME WINDOW-ID: the window's pixels, small, for the help pages.
keep() {
    [ -n "$shots_dir" ] || return 0
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$2")"
    import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -resize 75% -colors 96 -strip \
        "PNG8:$shots_dir/$1.png"
}

read -r mx my < <(origin "Sample.mdb")
echo "main window at $mx,$my"
# File > Create New Image Depository.
click $((mx + 20)) $((my + 8))
click $((mx + 80)) $((my + 29)) 1.5
shot savedialog
xdotool type --delay 20 "$work/Trip album"
xdotool key Return
sleep 2

read -r ax ay < <(origin "Add Images to Depository")
add_window=$(find_window "Add Images to Depository") || fail "no Add Images window"
echo "Add Images at $ax,$ay"
shot addimages
click $((ax + 152)) $((ay + 472)) 1.5 # Change Image Folder
xdotool type --delay 20 "$tree"
xdotool key Return
sleep 1
click $((ax + 212)) $((ay + 444)) 0.5 # Recursive
click $((ax + 56)) $((ay + 444)) 3    # Search
shot searched
keep add-images "$add_window"
click $((ax + 576)) $((ay + 444)) 1   # Select All
click $((ax + 800)) $((ay + 444)) 3   # Add
shot duplicates
xdotool key Return # "ALLOW DUPLICATE IMAGE FILE NAMES": No
find_window "^FYI$" >/dev/null || fail "no summary at the end of the run"
sleep 0.5
shot summary
xdotool key Return # "4 stored, 0 skipped, 0 failed."
find_window "^SECURITY$" >/dev/null || fail "no protect question after the run"
sleep 0.5
shot protect
xdotool key Escape # no password
sleep 4
shot main

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
find_window "Trip album.mdb" >/dev/null || fail "the main window did not open the new album"

# The screenshot: four rows with text in the grid, the fifth empty; the first row highlighted;
# a picture in the preview frame.
read -r mx my < <(origin "Trip album.mdb")
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
colours=$(convert "$work/main.png" -crop "240x180+$((mx + 8 + 30))+$((my + 28 + 30 + 60))" +repage -format %k info:)
echo "preview frame: $colours colours"
[ "$colours" -gt 50 ] || fail "no picture in the preview"

# The file browser from the Depository menu: the Home drive, the trip's folder, a click on a
# picture; OK keeps the folder and shows its first picture with its description line.
click $((mx + 77)) $((my + 8))
click $((mx + 133)) $((my + 51)) 1.5
read -r bx by < <(origin "Browse Picture Files")
browser_window=$(find_window "Browse Picture Files") || fail "no file browser"
click $((bx + 163)) $((by + 41)) 1 # Drive1
shot drives
xdotool key Home Return
sleep 1
click $((bx + 60)) $((by + 88)) 0.5 # into the folder tree
xdotool type --delay 100 "Trip"
sleep 1.5
shot browser
click $((bx + 360)) $((by + 52)) 1.5 # the second file
shot browsed
keep file-browser "$browser_window"
click $((bx + 502)) $((by + 577)) 2 # OK
shot accepted
grep -q "^ThumbNailsDir=$tree/\$" "$XDG_CONFIG_HOME/quillon32/quillon32.ini" || fail "the folder was not kept"
id=$(find_window "Trip album.mdb") || fail "no main window"
mh=$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
status=$(convert "$work/accepted.png" -crop "700x18+$mx+$((my + mh - 20))" +repage -colorspace gray -threshold 50% \
    -negate -format '%[fx:int(mean*w*h+0.5)]' info:)
echo "status line: $status dark pixels"
[ "$status" -gt 100 ] || fail "no description line under the grid"
[ -n "${QUILLON_E2E_SHOTS:-}" ] && cp "$work"/*.png "$QUILLON_E2E_SHOTS/"
echo PASS
