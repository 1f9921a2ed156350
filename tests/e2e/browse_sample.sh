#!/usr/bin/env bash
# The README's run command on the sample album, as a new user meets it: the grid and a fitted
# preview; clicking a landscape, a portrait, a GIF and a clip puts each where the preview rules
# say; the clip plays to its end and the pane lets it go.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
source_dir=$1
build_dir=$2
own_display "$@"
new_session
export QUILLON_NO_BUILD=1 QUILLON_BUILD_DIR=$build_dir QUILLON_SAMPLE=$work/Sample.mdb

bash "$source_dir/scripts/run.sh" >"$work/run.log" 2>&1 &
pid=$!
find_window "Sample.mdb" 120 >/dev/null || fail "the main window did not show"
q32=$build_dir/cli/q32

shot() { import -window root "$work/$1.png"; }
pixel() { convert "$work/$1.png" -crop "1x1+$2+$3" -format '%[pixel:p]' info:; }
# Bounding box "w h x y" of what is not the window's grey inside a rectangle.
content() {
    convert "$work/$1.png" -crop "$2x$3+$4+$5" +repage -fuzz 3% -fill black -opaque "srgb(239,239,239)" \
        -fill white +opaque black -trim -format '%w %h %X %Y\n' info: | tr -d '+'
}

highlight="srgb(48,140,198)"
# The grid shows its first row highlighted once the album is read.
row_shown() { shot start && [ -n "$(colour_box "$work/start.png" "$highlight" 980 600 300 110)" ]; }
wait_for 30 row_shown || fail "no highlighted row"
# The first row is current and highlighted; the grid's cells start 319 pixels into the client.
read -r _ rowh rowx rowy < <(convert "$work/start.png" -crop 1280x700+300+110 +repage -fill black +opaque "$highlight" \
    -fill white -opaque "$highlight" -trim -format '%w %h %X %Y\n' info: | tr -d '+')
rowx=$((rowx + 300)); rowy=$((rowy + 110))
clientx=$((rowx - 319))
clienty=""
for y in $(seq 0 300); do
    if [ "$(pixel start $((clientx + 1)) "$y")" = "$highlight" ]; then clienty=$y; break; fi
done
[ -n "$clienty" ] || fail "no caption band"
echo "client at $clientx,$clienty; rows of $rowh pixels from y=$rowy"
frame_x=$((clientx + 8 + 30)); frame_y=$((clienty + 28 + 30)) # the preview frame, 240 x 180

row_of() { # 1-based grid row of a file name in date order
    "$q32" list "$QUILLON_SAMPLE" | tail -n +2 | cut -f3 | grep -n -x -F "$1" | cut -d: -f1
}
click_row() {
    local y=$((rowy + ($1 - 1) * (rowh + 1) + rowh / 2)) # one grid line between rows
    xdotool mousemove $((rowx + 60)) "$y" click 1
}
placed() { # row expected-w expected-h expected-left expected-top
    shot "row$1"
    read -r w h x y < <(content "row$1" 240 180 "$frame_x" "$frame_y")
    [ "$w" -eq "$2" ] && [ "$h" -eq "$3" ] && [ "$x" -eq "$4" ] && [ "$y" -eq "$5" ]
}
check_place() { # name expected-w expected-h expected-left expected-top
    local r; r=$(row_of "$1")
    click_row "$r"
    wait_for 10 placed "$r" "${@:2}" || true
    echo "$1: ${w}x${h} at $x,$y in the frame"
    placed "$r" "${@:2}" || fail "$1 is not where it belongs"
}
# Landscape 1800 x 1200 fills the width, 3 above the centre; portrait 1000 x 1500 fills the height
# at the top edge, centred; the GIF 240 x 160 as the landscape.
check_place "Beach walk.jpg" 240 160 0 7
check_place "Grandmother's garden.jpg" 120 180 60 0
check_place "Blinking lights.gif" 240 160 0 7

# The clip: the video pane and its buttons; play from the start, then wait for the end.
r=$(row_of "Test pattern.mpg")
click_row "$r"
play_x=$((clientx + 8 + 112 + 40 + 18)); play_y=$((clienty + 28 + 214 + 13))
xdotool mousemove "$play_x" "$play_y" click 1
pane_colours() {
    shot "$1"
    convert "$work/$1.png" -crop "240x180+$((clientx + 8 + 37))+$((clienty + 28 + 30))" +repage -format %k info:
}
plays() { playing=$(pane_colours playing) && [ "$playing" -gt 6 ]; }
wait_for 10 plays || fail "the clip does not play ($playing colours)"
echo "video pane while playing: $playing colours"
has_ended() { ended=$(pane_colours ended) && [ "$ended" -le 6 ]; }
wait_for 20 has_ended || fail "the clip did not end ($ended colours)"
echo "video pane after the end: $ended colours"
echo PASS
