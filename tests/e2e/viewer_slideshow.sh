#!/usr/bin/env bash
# The viewer and the slideshow on the sample album, as a person sees them: a portrait photo
# fitted to the screen with its description in the annotation box; a slideshow with three chosen
# patterns caught mid-transition with both pictures on screen; the beach walk's sound played to
# its end (the loudspeaker shows while it plays); Escape back on the record the show reached.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
source_dir=$1
build_dir=$2
own_display "$@"
new_session

# A caption in yellow (65535) with black text across the bottom, shown; a show changing pictures
# every 5 ticks; three patterns of 10 seconds each (250 ms x 40 steps), so a new picture
# starts while the last one is still arriving.
ini '%s\n' '[Main]' Left=0 Top=0 Width=1100 Height=720 '[MSFlexGrid1]' Column0=90 Column1=0 Column2=190 \
    Column3=200 Column4=260 Column5=160 Column6=260 '[Slide%20Show]' ShowAnnotation=-1 SlideShowInterval=3 \
    '[ImageCaption]' 'CaptionFontName=DejaVu Sans' CaptionFontSize=16 CaptionForeColor=0 CaptionBackColor=65535 \
    CaptionLeft=0 CaptionTop=700 CaptionWidth=1280 CaptionHeight=40
# Auto Sound checked in the toolbar layout the program starts with.
layout '/"id": "ID_AutoSound"/,/"checked"/ s/"checked": 0/"checked": 1/'
printf '0000) Wipe (from left) [250], 1\n0001) Wipe (from right) [250], 2\n0002) Wipe (from top) [250], 5\n' \
    >"$QUILLON32_HOME/Effects2.txt"

run_sample "$build_dir"
main=$(find_window "Sample.mdb" 150) || fail "the main window did not show"
read -r wx wy _ _ < <(geometry "$main")
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; }

# row_moved NAME FROM: a shot of the screen shows the highlighted grid row's top (read into
# row_y) below FROM.
row_moved() {
    shot "$1" && read -r _ _ _ row_y < <(colour_box "$work/$1.png" "$highlight" 20 640 $((wx + 330)) $((wy + 100))) &&
        [ "$row_y" -gt "$2" ]
}
wait_for 30 row_moved start 0 || fail "no highlighted row"
first_row_y=$row_y
# Row 8, "Grandmother's garden.jpg" (1000 x 1500, "Roses in June"): seven times Next.
for _ in 1 2 3 4 5 6 7; do
    click 115 347
    wait_for 10 row_moved row8 "$row_y" || fail "Next did not move the grid's row"
done
row_h=$(((row_y - first_row_y) / 7))
[ "$row_h" -gt 10 ] || fail "the grid did not move to row 8"
click 160 200 # the preview opens the viewer
# The menu bar ends where the first black pixel of the stage's left edge is. Fit, portrait:
# height = the area's, width = height x 2/3, centred across, top 0. The annotation box is yellow
# where the caption setting puts it, with dark text in it; it is painted last.
near() { [ $(($1 - $2)) -le 2 ] && [ $(($2 - $1)) -le 2 ]; }
viewer_shown() {
    shot viewer
    menu=$(convert "$work/viewer.png" -crop 1x56+3+5 +repage -depth 8 txt:- | awk -F'[:,]' '/#000000/ && y == "" { y = $2 + 5 } END { print y }')
    [ -n "$menu" ] && [ "$(pixel viewer 1270 $((menu + 705)))" = "srgb(255,255,0)" ] || return 1
    expect_w=$(((800 - menu) * 2 / 3))
    read -r w h x y < <(convert "$work/viewer.png" -crop "1280x$((700 - menu))+0+$menu" +repage \
        -fuzz 2% -trim -format '%w %h %X %Y\n' info: | tr -d '+')
    dark=$(convert "$work/viewer.png" -crop "400x40+0+$((menu + 700))" +repage -threshold 30% -negate \
        -format '%[fx:round(mean*w*h)]' info:)
    near "$w" "$expect_w" && near "$x" $(((1280 - expect_w) / 2)) && [ "$y" -eq 0 ] && [ "$dark" -gt 50 ]
}
wait_for 20 viewer_shown ||
    fail "the viewer shows ${w:-no picture}x${h:-} at ${x:-},${y:-} (width ${expect_w:-?} centred, at the top) with ${dark:-no} caption text pixels"
viewer=$(xdotool getwindowfocus)
xdotool key Escape
wait_for 10 closed "$viewer" || fail "Escape did not close the viewer"

# The slideshow from the toolbar, watched until both pictures showed in one frame and the
# loudspeaker came and went again.
click 287 37
both="" speaker="" i=0 end=$((SECONDS + 40))
while [ "$SECONDS" -lt "$end" ]; do
    i=$((i + 1))
    shot "show$i"
    # Pixels of the first picture (red to yellow) and of the beach walk (blue), in one frame.
    read -r warm cool < <(convert "$work/show$i.png" -crop "1280x600+0+40" +repage -resize 128x60! \
        -depth 8 txt:- | awk -F"[(),]" 'NR > 1 { r = $3; g = $4; b = $5;
            if (r > 200 && b < 90) warm++; if (b >= 100) cool++ }
            END { print warm + 0, cool + 0 }')
    if [ "$warm" -gt 300 ] && [ "$cool" -gt 300 ] && [ -z "$both" ]; then both=$i; fi
    # The loudspeaker beside the stop icon while the beach walk's sound plays.
    if [ "$(pixel "show$i" 1225 $((menu + 16)))" = "srgb(255,255,255)" ]; then
        speaker="$speaker $i"
    elif [ -n "$both" ] && [ -n "$speaker" ]; then
        break
    fi
done
[ -n "$both" ] || fail "no frame holds both pictures"
[ -n "$speaker" ] || fail "the sound did not play"
[ "${speaker##* }" -lt "$i" ] || fail "the sound did not end"

# Escape: the main window on the record the show reached.
reached=
caption() {
    reached=$( (xdotool search --onlyvisible --name "bytes\)" | while read -r id; do xdotool getwindowname "$id"; done) 2>/dev/null | grep -v "Sample.mdb" | head -1) || true
    [ -n "$reached" ]
}
wait_for 5 caption || true
show=$(xdotool getwindowfocus)
xdotool key Escape
wait_for 10 closed "$show" || fail "Escape did not end the slideshow"
# The caption: properties, " (" format ")", " (pattern-delay-grain)".
props=${reached% (*}
props=${props% (*}
row=$("$build_dir/cli/q32" list "$QUILLON_SAMPLE" | tail -n +2 | cut -f5 | grep -n -x -F "$props" | head -1 | cut -d: -f1)
[ -n "$row" ] || fail "the viewer's caption names no record: $reached"
on_row() { row_moved back 0 && [ $(((row_y - first_row_y + row_h / 2) / row_h + 1)) -eq "$row" ]; }
wait_for 10 on_row || fail "the main window is on the row at y=$row_y, not on row $row"
echo PASS
