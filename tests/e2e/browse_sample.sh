#!/usr/bin/env bash
# The README's run command on the sample album, as a new user meets it on a machine whose CUPS
# cannot be reached. The album is first taken back to what an earlier build left (no thumbnail
# table), with a clip added last, red for its first second and magenta after.
# - Printing the first record: the program says there is no printer, offers a PDF file and opens
#   "Print Preview" with the picture on its sheet; a drag moves the picture and rewrites Left and
#   Top; "&Print" writes the PDF with the picture where the sheet showed it.
# - Clicking a landscape, a portrait, a GIF and a clip in the grid puts each where the preview
#   rules say; the clip plays to its end and the pane lets it go.
# - Ctrl+T puts a wall of thumbnails in the grid's place with the current record's name
#   highlighted; a click on a thumbnail makes that record current in the preview and, back in the
#   grid, on the grid's highlighted row. The first view makes the thumbnails, and the album stays
#   one q32 reads. The clip's tile shows the frame from a second in, with its length.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
source_dir=$1
build_dir=$2
own_display "$@"
new_session
export CUPS_SERVER=$work/no-cups-here.sock LC_ALL=C.UTF-8
q32=$build_dir/cli/q32
album=$work/Sample.mdb
bash "$source_dir/scripts/make-sample-album.sh" "$album" "$q32" >"$work/make.log" 2>&1
ffmpeg -v error -y -f lavfi -i "color=c=red:s=320x240:r=25:d=1" -f lavfi -i "color=c=0xC800C8:s=320x240:r=25:d=6" \
    -filter_complex "[0:v][1:v]concat=n=2:v=1" -c:v libx264 -pix_fmt yuv420p "$work/Walk.mp4"
"$q32" add "$album" "$work/Walk.mp4" >>"$work/make.log" 2>&1
count() { sqlcipher "$album" "SELECT count(*) FROM Thumbnails"; }
# The sample's pictures carry no camera preview: adding leaves them to the view (clips get
# their frame at once).
[ "$(count)" -lt 24 ] || fail "q32 add decoded every picture for its thumbnail"
sqlcipher "$album" "DROP TABLE Thumbnails"

run_sample "$build_dir"
main=$(find_window "Sample.mdb" 120) || fail "the sample album did not open"
grid

navy="srgb(0,0,128)" # "Blinking lights.gif"
# shows NAME COLOUR W H X Y: a shot of the screen holds that colour in the rectangle; its box is
# read into bw bh bx by.
shows() { shot "$1" && read -r bw bh bx by < <(colour_box "$work/$1.png" "${@:2}"); }
# on_row Y: the grid's highlighted row is at Y (within 2 pixels).
on_row() { shows back "$highlight" 980 600 300 80 && [ "$by" -ge $(($1 - 2)) ] && [ "$by" -le $(($1 + 2)) ]; }
setting() { sed -n "s/^$1=//p" "$XDG_CONFIG_HOME/quillon32/quillon32.ini" | head -1; }
near() { [ $(($1 - $2)) -ge "-$3" ] && [ $(($1 - $2)) -le "$3" ]; }

# Depository > Print Current Image on the first record.
[ "$(row_of "$album" "Autumn colours.bmp")" = 1 ] || fail "the sample album does not start with Autumn colours.bmp"
menu "$main" alt+d p
answer "^PRINT ERROR$" Return "message about the missing printer"
answer "^PRINT TO FILE$" Return "offer to print to a file"
preview=$(find_window "^Print Preview$") || fail "the Print Preview window did not open"
read -r wx wy _ _ < <(geometry "$preview")
# The sheet: 170 x 220 pixels inside the panel at 8,8 of the window.
sheet_x=$((wx + 11)) sheet_y=$((wy + 10))
# picture_at NAME: shoots the screen and reads the box of the picture's colours (not white, grey
# or black) on the sheet into w h x y.
picture_at() {
    shot "$1" && read -r w h x y < <(convert "$work/$1.png" -crop "170x220+$sheet_x+$sheet_y" +repage \
        -colorspace HSL -channel G -separate +channel -threshold 25% -trim -format '%w %h %X %Y\n' info: | tr -d '+')
}
at_corner() { picture_at preview && [ "$w" -ge 15 ] && [ "$w" -le 40 ] && [ "$h" -ge 10 ] && [ "$x" -le 2 ] && [ "$y" -le 2 ]; }
wait_for 10 at_corner || fail "the sheet shows the picture ${w}x$h at $x,$y, not at its top-left corner"
[ -z "$(setting PrintLeft)" ] || fail "opening stored a position"

# Drag it: its top-left corner goes where the mouse lets go.
xdotool mousemove $((sheet_x + x + w / 2)) $((sheet_y + y + h / 2)) mousedown 1
xdotool mousemove $((sheet_x + 50)) $((sheet_y + 60))
xdotool mousemove $((sheet_x + 70)) $((sheet_y + 90))
xdotool mouseup 1
dropped() { picture_at dragged && near "$x" 70 1 && near "$y" 90 1 && [ -n "$(setting PrintTop)" ]; }
wait_for 10 dropped || fail "the picture is at $x,$y, not where it was dropped"
left=$(setting PrintLeft) top=$(setting PrintTop)
[ "${left%%.*}" -gt 1000 ] && [ "${top%%.*}" -gt 1000 ] || fail "Left and Top did not change with the drag"

# "&Print" has the focus: Enter prints, into the file asked for.
focus "$preview"
xdotool key Return
dialog=$(find_window "^Print To PDF File$") || fail "no file was asked for"
focus "$dialog"
xdotool key ctrl+a
xdotool type --delay 20 "$work/printed.pdf"
xdotool key Return
printed() { [ -s "$work/printed.pdf" ] && no_window "^Print Preview$"; }
wait_for 30 printed || fail "no PDF was written"
# On paper at 100 dpi: half an inch of margin at the side, a quarter at the top, then Left and
# Top in dots of 600 per inch; 640 x 480 dots make 107 x 80 pixels.
pdftoppm -r 100 -png -singlefile "$work/printed.pdf" "$work/page"
read -r qw qh qx qy < <(convert "$work/page.png" -fuzz 15% -trim -format '%w %h %X %Y\n' info: | tr -d '+')
ex=$(((50 * 600 + ${left%%.*} * 100) / 600)) ey=$(((25 * 600 + ${top%%.*} * 100) / 600))
near "$qx" "$ex" 2 && near "$qy" "$ey" 2 && near "$qw" 107 2 && near "$qh" 80 2 ||
    fail "the printed picture is ${qw}x$qh at $qx,$qy, not 107x80 at $ex,$ey as the sheet showed"

# The preview: a click on a grid row shows its picture in the frame.
click_row() { xdotool mousemove $((rowx + 60)) $((rowy + ($1 - 1) * (rowh + 1) + rowh / 2)) click 1; }
placed() { shot "row$1" && read -r w h x y < <(content "row$1" 240 180 "$frame_x" "$frame_y") && [ "$w $h $x $y" = "$2" ]; }
check_place() { # NAME "W H X Y"
    local r
    r=$(row_of "$album" "$1")
    click_row "$r"
    wait_for 10 placed "$r" "$2" || fail "$1 is ${w}x$h at $x,$y in the frame, not $2"
}
# Landscape 1800 x 1200 fills the width, 3 above the centre; portrait 1000 x 1500 fills the height
# at the top edge, centred; the GIF 240 x 160 as the landscape.
check_place "Beach walk.jpg" "240 160 0 7"
check_place "Grandmother's garden.jpg" "120 180 60 0"
check_place "Blinking lights.gif" "240 160 0 7"

# The clip: the video pane and its buttons; play from the start, then wait for the end.
click_row "$(row_of "$album" "Test pattern.mpg")"
xdotool mousemove $((clientx + 178)) $((clienty + 255)) click 1
pane_colours() { shot "$1" && convert "$work/$1.png" -crop "240x180+$((clientx + 45))+$((clienty + 58))" +repage -format %k info:; }
plays() { playing=$(pane_colours playing) && [ "$playing" -gt 6 ]; }
wait_for 10 plays || fail "the clip does not play ($playing colours)"
has_ended() { ended=$(pane_colours ended) && [ "$ended" -le 6 ]; }
wait_for 20 has_ended || fail "the clip did not end ($ended colours)"

# Back to the first record for the thumbnails.
click_row 1
wait_for 10 on_row "$rowy" || fail "a click did not go back to the first record"
focus "$main"
xdotool key ctrl+t
# Every picture's thumbnail is made on this first view: the wall has many colours once done,
# among them the GIF's navy picture, thumbnail sized, where the grid was.
wall() {
    shows thumbnails "$navy" 980 600 300 80 && nw=$bw nh=$bh nx=$bx ny=$by &&
        colours=$(convert "$work/thumbnails.png" -crop "370x360+320+86" +repage -format '%k' info:) &&
        [ "$colours" -gt 2000 ] && [ "$nw" -ge 150 ] && [ "$nw" -le 162 ] && [ "$nh" -ge 80 ] && [ "$nh" -le 162 ]
}
wait_for 30 wall || fail "no wall of thumbnails with the GIF's (${colours:-no} colours, GIF ${nw:-}x${nh:-})"
# The current record (the first) has its name highlighted, in the first cell: under the first
# row of pictures (the GIF's, the third record's), left of the GIF.
read -r hw hh hx hy < <(colour_box "$work/thumbnails.png" "$highlight" 980 $((ny + nh + 40 - 80)) 300 80)
[ "$hw" -ge 40 ] && [ "$hh" -ge 10 ] && [ "$hh" -le 30 ] || fail "no highlighted name"
[ "$hy" -ge $((ny + nh)) ] && [ $((hx + hw)) -lt "$nx" ] && [ "$hx" -lt $((nx - 2 * nw)) ] ||
    fail "the highlight is not on the first record"

# A click on the GIF's thumbnail makes it the current record: the preview (left of the wall)
# shows the GIF now, no longer the first record's gradient, and its name is highlighted.
xdotool mousemove $((nx + nw / 2)) $((ny + nh / 2)) click 1
convert "$work/thumbnails.png" -crop "$((nx - 420))x300+0+80" +repage "$work/before.png"
preview_changed() {
    shot clicked
    convert "$work/clicked.png" -crop "$((nx - 420))x300+0+80" +repage "$work/after.png"
    changed=$(compare -metric AE -fuzz 10% "$work/before.png" "$work/after.png" null: 2>&1 || true)
    [ "${changed%%.*}" -gt 20000 ] && shows clicked "$highlight" $((nw + 20)) 60 $((nx - 10)) $((ny + nh)) &&
        [ "$bw" -ge 40 ] && [ "$bh" -ge 10 ] && [ "$bh" -le 30 ]
}
wait_for 10 preview_changed || fail "the preview ($changed pixels changed) or the highlight does not show the clicked record"

# Back to the grid: its highlighted row is the clicked record.
xdotool key ctrl+t
want=$((rowy + ($(row_of "$album" "Blinking lights.gif") - 1) * (rowh + 1)))
wait_for 10 on_row "$want" || fail "the grid's row at y=$by does not show the clicked record (at $want)"
# The older album got every thumbnail, and is still an album (the unit test checks it whole).
[ "$(count)" = 24 ] || fail "$(count) thumbnails made on first view, not 24"
[ "$("$q32" list "$album" | tail -n +2 | wc -l)" = 24 ] || fail "q32 list does not read it"

# The last records in the thumbnail view: the clip's tile holds the magenta frame (made from
# the stored bytes, the table having been dropped), whole, with its length in a dark corner.
gif_y=$by
xdotool key ctrl+End
last_row() { shows end "$highlight" 980 650 300 80 && [ "$by" -gt "$gif_y" ]; }
wait_for 10 last_row || fail "Ctrl+End did not move to the last record"
xdotool key ctrl+t
magenta="srgb(200,0,200)"
tile() { shows clip "$magenta" 980 650 300 80 && [ "$bw" -ge 150 ] && [ "$bw" -le 162 ] && [ "$bh" -ge 110 ] && [ "$bh" -le 125 ]; }
wait_for 20 tile || fail "no frame on the clip's tile (${bw}x$bh)"
# Share of magenta in a rectangle w h x y: the length's box covers the frame in its corner.
magenta_share() {
    convert "$work/clip.png" -crop "$1x$2+$3+$4" +repage -fuzz 15% -fill black +opaque "$magenta" \
        -fill white -opaque "$magenta" -format '%[fx:mean]' info:
}
corner=$(magenta_share 26 12 $((bx + bw - 32)) $((by + bh - 17)))
middle=$(magenta_share 26 12 $((bx + bw / 2)) $((by + bh / 2)))
awk -v c="$corner" -v m="$middle" 'BEGIN { exit !(c < 0.2 && m > 0.9) }' ||
    fail "no length on the clip's tile (magenta in the corner $corner, in the middle $middle)"

echo PASS
