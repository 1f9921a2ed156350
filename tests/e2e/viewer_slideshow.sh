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
work=${KEEP:-$(mktemp -d)}
pid=
trap 'kill $pid 2>/dev/null || true; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
export QUILLON32_HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
export QUILLON_NO_BUILD=1 QUILLON_BUILD_DIR=$build_dir QUILLON_SAMPLE=$work/Sample.mdb
mkdir -p "$XDG_RUNTIME_DIR" "$QUILLON32_HOME" "$XDG_CONFIG_HOME/quillon32" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

# A caption in yellow (65535) with black text across the bottom, shown; a show changing pictures
# every 5 ticks; three patterns of 10 seconds each (250 ms x 40 steps), so a new picture
# starts while the last one is still arriving.
cat >"$XDG_CONFIG_HOME/quillon32/quillon32.ini" <<'INI'
[Main]
Left=0
Top=0
Width=1100
Height=720

[MSFlexGrid1]
Column0=90
Column1=0
Column2=190
Column3=200
Column4=260
Column5=160
Column6=260

[Slide%20Show]
ShowAnnotation=-1
SlideShowInterval=3

[ImageCaption]
CaptionFontName=DejaVu Sans
CaptionFontSize=16
CaptionForeColor=0
CaptionBackColor=65535
CaptionLeft=0
CaptionTop=700
CaptionWidth=1280
CaptionHeight=40
INI
# Auto Sound checked in the toolbar layout the program starts with.
sed '/"id": "ID_AutoSound"/,/"checked"/ s/"checked": 0/"checked": 1/' \
    "$source_dir/data/share/Database (default).atb" >"$QUILLON32_HOME/Database.atb"
printf '0000) Wipe (from left) [250], 1\n0001) Wipe (from right) [250], 2\n0002) Wipe (from top) [250], 5\n' \
    >"$QUILLON32_HOME/Effects2.txt"

bash "$source_dir/scripts/run.sh" >"$work/run.log" 2>&1 &
pid=$!
main=$(find_window "Sample.mdb" 150) || fail "the main window did not show"
read -r wx wy _ _ < <(geometry "$main")
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; }
shot() { import -window root "$work/$1.png"; }
pixel() { convert "$work/$1.png" -crop "1x1+$2+$3" -format '%[pixel:p]' info:; }

# The top of the highlighted grid row.
highlight="srgb(48,140,198)"
row_top() {
    local y
    y=$(convert "$work/$1.png" -crop 20x640+$((wx + 330))+$((wy + 100)) +repage -fill black \
        +opaque "$highlight" -fill white -opaque "$highlight" -trim -format '%Y' info: | tr -d '+')
    echo $((y + wy + 100))
}
# row_moved NAME FROM: a shot of the screen shows the highlighted row below FROM.
row_moved() {
    shot "$1" && [ -n "$(colour_box "$work/$1.png" "$highlight" 20 640 $((wx + 330)) $((wy + 100)))" ] &&
        [ "$(row_top "$1")" -gt "$2" ]
}
wait_for 30 row_moved start 0 || fail "no highlighted row"
first_row_y=$(row_top start)
# Row 8, "Grandmother's garden.jpg" (1000 x 1500, "Roses in June"): seven times Next.
y=$first_row_y
for _ in 1 2 3 4 5 6 7; do
    click 115 347
    wait_for 10 row_moved row8 "$y" || fail "Next did not move the grid's row"
    y=$(row_top row8)
done
row_h=$((($(row_top row8) - first_row_y) / 7))
echo "grid rows from y=$first_row_y, $row_h pixels apart"
[ "$row_h" -gt 10 ] || fail "the grid did not move to row 8"
click 160 200 # the preview opens the viewer
# The menu bar ends where the first black pixel of the stage's left edge is; the caption box
# is painted last.
viewer_shown() {
    shot viewer
    menu=""
    for y in $(seq 5 60); do
        if [ "$(pixel viewer 3 "$y")" = "srgb(0,0,0)" ]; then menu=$y; break; fi
    done
    [ -n "$menu" ] && [ "$(pixel viewer 1270 $((menu + 705)))" = "srgb(255,255,0)" ]
}
wait_for 20 viewer_shown || true
[ -n "$menu" ] || fail "no viewer on screen"
viewer=$(xdotool getwindowfocus)
area_h=$((800 - menu))
# Fit, portrait: height = the area's, width = height x 2/3, centred across, top 0.
read -r w h x y < <(convert "$work/viewer.png" -crop "1280x$((700 - menu))+0+$menu" +repage \
    -fuzz 2% -trim -format '%w %h %X %Y\n' info: | tr -d '+')
expect_w=$((area_h * 2 / 3))
echo "picture ${w}x${h} at $x,$y on a 1280x$area_h area; expected width $expect_w centred"
[ $((w - expect_w)) -le 2 ] && [ $((expect_w - w)) -le 2 ] || fail "width $w, not $expect_w"
[ $((x - (1280 - expect_w) / 2)) -le 2 ] && [ $(((1280 - expect_w) / 2 - x)) -le 2 ] || fail "not centred"
[ "$y" -eq 0 ] || fail "not at the top"
# The annotation box: yellow where the caption setting puts it, with dark text in it.
[ "$(pixel viewer 1270 $((menu + 705)))" = "srgb(255,255,0)" ] || fail "no caption box"
dark=$(convert "$work/viewer.png" -crop "400x40+0+$((menu + 700))" +repage -threshold 30% -negate \
    -format '%[fx:round(mean*w*h)]' info:)
echo "caption text pixels: $dark"
[ "$dark" -gt 50 ] || fail "no caption text"
xdotool key Escape
wait_for 10 closed "$viewer" || fail "Escape did not close the viewer"

# The slideshow from the toolbar, watched until both pictures showed in one frame and the
# loudspeaker came and went again.
click 287 37
both=""
speaker=""
i=0
end=$((SECONDS + 40))
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
echo "both pictures in frame $both; loudspeaker in frames:$speaker; $i frames"
[ -n "$both" ] || fail "no frame holds both pictures"
[ -n "$speaker" ] || fail "the sound did not play"
last=${speaker##* }
[ "$last" -lt "$i" ] || fail "the sound did not end"

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
echo "viewer showed: $reached"
# The caption: properties, " (" format ")", " (pattern-delay-grain)".
props=${reached% (*}
props=${props% (*}
row=$("$build_dir/cli/q32" list "$QUILLON_SAMPLE" | tail -n +2 | cut -f5 | grep -n -x -F "$props" | head -1 | cut -d: -f1)
[ -n "$row" ] || fail "the viewer's caption names no record: $reached"
on_row() { shot back && rowy=$(row_top back) && [ $(((rowy - first_row_y + row_h / 2) / row_h + 1)) -eq "$row" ]; }
wait_for 10 on_row || true
echo "record $row reached; highlighted row at y=$rowy"
on_row || fail "the main window is not on row $row"
echo PASS
