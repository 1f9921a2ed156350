#!/usr/bin/env bash
# The thumbnail view on the sample album, as a person sees it: Ctrl+T puts a wall of thumbnails
# in the grid's place with the current record's name highlighted; a click on a thumbnail makes
# that record current in the preview and, back in the grid, on the grid's highlighted row. The
# album is first taken back to what an earlier build left (no thumbnail table): the first view
# makes its thumbnails, and it stays an album q32 reads. A clip added last, red for its first
# second and magenta after, shows on its tile the frame from a second in, with its length.
# Usage: thumbnail_view.sh SOURCE_DIR BUILD_DIR [FOLDER_FOR_SCREENSHOTS]
set -euo pipefail
source "$(dirname "$0")/x11.sh"
source_dir=$1
build_dir=$2
keep=${3:-}
own_display "$@"
new_session
export QUILLON_NO_BUILD=1 QUILLON_BUILD_DIR=$build_dir QUILLON_SAMPLE=$work/Sample.mdb

q32=$build_dir/cli/q32
bash "$source_dir/scripts/make-sample-album.sh" "$QUILLON_SAMPLE" "$q32" >"$work/make.log" 2>&1
ffmpeg -v error -y -f lavfi -i "color=c=red:s=320x240:r=25:d=1" -f lavfi -i "color=c=0xC800C8:s=320x240:r=25:d=6" \
    -filter_complex "[0:v][1:v]concat=n=2:v=1" -c:v libx264 -pix_fmt yuv420p "$work/Walk.mp4"
"$q32" add "$QUILLON_SAMPLE" "$work/Walk.mp4" >>"$work/make.log" 2>&1
count() { sqlcipher "$QUILLON_SAMPLE" "SELECT count(*) FROM Thumbnails"; }
# The sample's pictures carry no camera preview: adding leaves them to the view (clips get
# their frame at once).
[ "$(count)" -lt 24 ] || { echo "FAIL: q32 add decoded every picture for its thumbnail"; exit 1; }
sqlcipher "$QUILLON_SAMPLE" "DROP TABLE Thumbnails"

bash "$source_dir/scripts/run.sh" >"$work/run.log" 2>&1 &
pid=$!
main=$(find_window "Sample.mdb" 120) || fail "the main window did not show"

shot() { import -window root "$work/$1.png"; [ -z "$keep" ] || cp "$work/$1.png" "$keep/thumbnail_view_$1.png"; }
# Bounding box "w h x y" (screen pixels) of one colour inside a rectangle w h x y.
box() {
    convert "$work/$1.png" -crop "$3x$4+$5+$6" +repage -fuzz 4% -fill black +opaque "$2" \
        -fill white -opaque "$2" -trim -format '%w %h %X %Y\n' info: | tr -d '+' |
        awk -v x="$5" -v y="$6" '{ print $1, $2, $3 + x, $4 + y }'
}
highlight="srgb(48,140,198)"
navy="srgb(0,0,128)" # "Blinking lights.gif"
row_of() { # 1-based row of a file name in date order
    "$q32" list "$QUILLON_SAMPLE" | tail -n +2 | cut -f3 | grep -n -x -F "$1" | cut -d: -f1
}

# shows NAME COLOUR W H X Y: a shot of the screen holds that colour in the rectangle.
shows() { shot "$1" && [ -n "$(colour_box "$work/$1.png" "${@:2}")" ]; }
# The grid's first row is current; its rows' height gives the place of any other row.
wait_for 20 shows grid "$highlight" 980 600 300 80 || fail "no highlighted row in the grid"
read -r _ rowh _ rowy < <(box grid "$highlight" 980 600 300 80)
echo "grid rows of $rowh pixels from y=$rowy"

focus "$main"
xdotool key ctrl+t
# Every picture's thumbnail is made on this first view: the wall has many colours once done.
wall() { shot thumbnails && [ "$(convert "$work/thumbnails.png" -crop "370x360+320+86" +repage -format '%k' info:)" -gt 2000 ]; }
wait_for 30 wall || true
# A thumbnail wall: the GIF's navy picture, thumbnail sized, where the grid was.
read -r nw nh nx ny < <(box thumbnails "$navy" 980 600 300 80)
echo "navy thumbnail $nw x $nh at $nx,$ny"
[ "$nw" -ge 150 ] && [ "$nw" -le 162 ] && [ "$nh" -ge 80 ] && [ "$nh" -le 162 ] ||
    fail "no thumbnail of the GIF ($nw x $nh)"
# The current record (the first) has its name highlighted, in the first cell: under the first
# row of pictures (the GIF's, the third record's), left of the GIF.
read -r hw hh hx hy < <(box thumbnails "$highlight" 980 $((ny + nh + 40 - 80)) 300 80)
echo "highlighted name $hw x $hh at $hx,$hy"
[ "$hw" -ge 40 ] && [ "$hh" -ge 10 ] && [ "$hh" -le 30 ] || fail "no highlighted name"
[ "$hy" -ge $((ny + nh)) ] && [ $((hx + hw)) -lt "$nx" ] && [ "$hx" -lt $((nx - 2 * nw)) ] ||
    fail "the highlight is not on the first record"
# Several thumbnails: the wall holds many colours where the grid held a few.
colours=$(convert "$work/thumbnails.png" -crop "370x360+320+86" +repage -format '%k' info:)
[ "$colours" -gt 2000 ] || fail "only $colours colours: no thumbnails"

# A click on the GIF's thumbnail makes it the current record.
xdotool mousemove $((nx + nw / 2)) $((ny + nh / 2)) click 1
# The preview (left of the wall) shows the GIF now, no longer the first record's gradient.
convert "$work/thumbnails.png" -crop "$((nx - 420))x300+0+80" +repage "$work/before.png"
preview_changed() {
    shot clicked
    convert "$work/clicked.png" -crop "$((nx - 420))x300+0+80" +repage "$work/after.png"
    changed=$(compare -metric AE -fuzz 10% "$work/before.png" "$work/after.png" null: 2>&1 || true)
    [ "${changed%%.*}" -gt 20000 ] &&
        [ -n "$(colour_box "$work/clicked.png" "$highlight" $((nw + 20)) 60 $((nx - 10)) $((ny + nh)))" ]
}
wait_for 10 preview_changed || true
echo "preview pixels changed: $changed"
[ "${changed%%.*}" -gt 20000 ] || fail "the preview does not show the clicked record"
read -r hw hh hx hy < <(box clicked "$highlight" $((nw + 20)) 60 $((nx - 10)) $((ny + nh)))
echo "highlighted name $hw x $hh at $hx,$hy"
[ "$hw" -ge 40 ] && [ "$hh" -ge 10 ] && [ "$hh" -le 30 ] ||
    fail "the clicked thumbnail's name is not highlighted"

# Back to the grid: its highlighted row is the clicked record.
xdotool key ctrl+t
r=$(row_of "Blinking lights.gif")
want=$((rowy + (r - 1) * (rowh + 1)))
grid_row() {
    shot back && read -r _ _ _ by < <(colour_box "$work/back.png" "$highlight" 980 600 300 80) &&
        [ "$by" -ge $((want - 2)) ] && [ "$by" -le $((want + 2)) ]
}
wait_for 10 grid_row || true
read -r _ _ _ by < <(box back "$highlight" 980 600 300 80)
echo "grid row $r highlighted at y=$by (expected $want)"
[ $((by - want)) -le 2 ] && [ $((want - by)) -le 2 ] || fail "the grid does not show the clicked record"
# The older album got every thumbnail, and is still an album (the unit test checks it whole).
[ "$(count)" = 24 ] || fail "$(count) thumbnails made on first view, not 24"
[ "$("$q32" list "$QUILLON_SAMPLE" | tail -n +2 | wc -l)" = 24 ] || fail "q32 list does not read it"

# The last records in the thumbnail view: the clip's tile holds the magenta frame (made from
# the stored bytes, the table having been dropped), whole, with its length in a dark corner.
xdotool key ctrl+End
# The last row is current in the grid, below the GIF's.
last=$("$q32" list "$QUILLON_SAMPLE" | tail -n +2 | wc -l)
last_row() { shot end && read -r _ _ _ ey < <(colour_box "$work/end.png" "$highlight" 980 650 300 80) && [ "$ey" -gt "$by" ]; }
wait_for 10 last_row || fail "Ctrl+End did not move to the last of $last records"
xdotool key ctrl+t
magenta="srgb(200,0,200)"
wait_for 20 shows clip "$magenta" 980 650 300 80 || true
read -r cw ch cx cy < <(box clip "$magenta" 980 650 300 80)
echo "clip frame $cw x $ch at $cx,$cy"
[ "$cw" -ge 150 ] && [ "$cw" -le 162 ] && [ "$ch" -ge 110 ] && [ "$ch" -le 125 ] ||
    fail "no frame on the clip's tile ($cw x $ch)"
# Share of magenta in a rectangle w h x y: the length's box covers the frame in its corner.
magenta_share() {
    convert "$work/clip.png" -crop "$1x$2+$3+$4" +repage -fuzz 15% -fill black +opaque "$magenta" \
        -fill white -opaque "$magenta" -format '%[fx:mean]' info:
}
corner=$(magenta_share 26 12 $((cx + cw - 32)) $((cy + ch - 17)))
middle=$(magenta_share 26 12 $((cx + cw / 2)) $((cy + ch / 2)))
echo "magenta in the corner $corner, in the middle $middle"
awk -v c="$corner" -v m="$middle" 'BEGIN { exit !(c < 0.2 && m > 0.9) }' || fail "no length on the clip's tile"
echo "PASS"
