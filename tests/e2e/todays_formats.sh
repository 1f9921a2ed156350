#!/usr/bin/env bash
# Today's formats as a user meets them: q32 add stores a HEIC, an AVIF, a WebP (still and
# animated), a JPEG XL and a DNG photo, each stored turned with EXIF orientation 6, under their
# codes with their sizes; the program shows each one upright in the preview.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
build_dir=$1
own_display "$@"
new_session
mkdir -p "$work/pics"

# Stored 480 x 320, shown 320 x 480: quarters red, green / blue, yellow as stored.
"$build_dir/tests/imaging/make_format_samples" "$work/pics" 480 320 >/dev/null 2>&1 || fail "samples"
album=$work/Formats.mdb
q32=$build_dir/cli/q32
files=(photo.heic photo.avif photo.webp anim.webp photo.jxl photo.dng)
"$q32" create "$album"
"$q32" add "$album" "${files[@]/#/$work/pics/}" 2>"$work/add.log" || { cat "$work/add.log"; fail "q32 add"; }
"$q32" list "$album" >"$work/list.txt"
expect_row() { # file name, format text, dimensions and colours
    local line; line=$(grep -F "	$1	" "$work/list.txt") || fail "$1 not stored"
    echo "$line" | cut -f3-5
    [ "$(echo "$line" | cut -f4)" = "$2" ] || fail "$1: format text"
    case "$(echo "$line" | cut -f5)" in *"$3") ;; *) fail "$1: properties" ;; esac
}
expect_row photo.heic "85 High Efficiency Image File Format (HEIC)" "(480x320) (16,777,216 colors)"
expect_row photo.avif "86 AV1 Image File Format (AVIF)" "(320x480) (16,777,216 colors)"
expect_row photo.webp "87 WebP" "(480x320) (16,777,216 colors)"
expect_row anim.webp "87 WebP" "(480x320) (4,294,967,296 colors)"
expect_row photo.jxl "88 JPEG XL" "(480x320) (16,777,216 colors)"
expect_row photo.dng "89 Adobe Digital Negative (DNG)" "(480x320) (16,777,216 colors)"

"$build_dir/app/quillon32" "$album" >"$work/run.log" 2>&1 &
pid=$!
find_window "Formats.mdb" 60 >/dev/null || fail "the main window did not show"
shot() { import -window root "$work/$1.png"; }
pixel() { convert "$work/$1.png" -crop "1x1+$2+$3" -format '%[pixel:p]' info:; }
content() { # bounding box "w h x y" of what is not the window's grey inside a rectangle
    convert "$work/$1.png" -crop "$2x$3+$4+$5" +repage -fuzz 3% -fill black -opaque "srgb(239,239,239)" \
        -fill white +opaque black -trim -format '%w %h %X %Y\n' info: | tr -d '+'
}
highlight="srgb(48,140,198)"
row_shown() { shot start && [ -n "$(colour_box "$work/start.png" "$highlight" 980 590 300 110)" ]; }
wait_for 30 row_shown || fail "no highlighted row"
# The current row is highlighted; the grid's cells start 319 pixels into the client area, below
# the caption band of the same colour.
read -r _ rowh rowx rowy < <(convert "$work/start.png" -crop 1280x700+300+110 +repage -fill black +opaque "$highlight" \
    -fill white -opaque "$highlight" -trim -format '%w %h %X %Y\n' info: | tr -d '+')
rowx=$((rowx + 300)); rowy=$((rowy + 110)); clientx=$((rowx - 319)); clienty=""
for y in $(seq 0 300); do
    if [ "$(pixel start $((clientx + 1)) "$y")" = "$highlight" ]; then clienty=$y; break; fi
done
[ -n "$clienty" ] || fail "no caption band"
frame_x=$((clientx + 8 + 30)); frame_y=$((clienty + 28 + 30)) # the preview frame, 240 x 180

# Close to an expected colour: each channel within 60.
near() { # shot x y r g b
    local p; p=$(convert "$work/$1.png" -crop "1x1+$2+$3" -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)
    read -r r g b <<<"$p"
    [ $((${r} - $4)) -lt 60 ] && [ $(($4 - r)) -lt 60 ] && [ $((g - $5)) -lt 60 ] && [ $(($5 - g)) -lt 60 ] &&
        [ $((b - $6)) -lt 60 ] && [ $(($6 - b)) -lt 60 ] || { echo "  ($2,$3) is $p"; return 1; }
}
n=0
while IFS=$'\t' read -r _ _ name _; do
    n=$((n + 1))
    xdotool mousemove $((rowx + 60)) $((rowy + (n - 1) * (rowh + 1) + rowh / 2)) click 1
    upright() {
        shot "row$n" && read -r w h x y < <(content "row$n" 240 180 "$frame_x" "$frame_y") &&
            [ "$w" -eq 120 ] && [ "$h" -eq 180 ] && near "row$n" $((frame_x + 90)) $((frame_y + 45)) 30 30 220 >/dev/null
    }
    wait_for 10 upright || true
    read -r w h x y < <(content "row$n" 240 180 "$frame_x" "$frame_y")
    echo "$name: ${w}x${h} at $x,$y in the frame"
    # Portrait 320 x 480 fills the frame's height, centred: 120 x 180 at 60,0.
    [ "$w" -eq 120 ] && [ "$h" -eq 180 ] && [ "$x" -eq 60 ] && [ "$y" -eq 0 ] || fail "$name is not shown upright"
    # Turned a quarter clockwise: blue top left, red top right, yellow bottom left, green bottom right.
    near "row$n" $((frame_x + 90)) $((frame_y + 45)) 30 30 220 || fail "$name: top left not blue"
    near "row$n" $((frame_x + 150)) $((frame_y + 45)) 220 30 30 || fail "$name: top right not red"
    near "row$n" $((frame_x + 90)) $((frame_y + 135)) 230 220 40 || fail "$name: bottom left not yellow"
    near "row$n" $((frame_x + 150)) $((frame_y + 135)) 30 200 30 || fail "$name: bottom right not green"
done < <(tail -n +2 "$work/list.txt")
[ "$n" -eq 6 ] || fail "$n rows"
echo PASS
