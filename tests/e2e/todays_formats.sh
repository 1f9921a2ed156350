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
# Each file under its format's code and text, with its size and colours.
while IFS='|' read -r file format props; do
    line=$(grep -F "	$file	" "$work/list.txt") || fail "$file not stored"
    [ "$(cut -f4 <<<"$line")" = "$format" ] && [[ $(cut -f5 <<<"$line") == *"$props" ]] ||
        fail "$file stored as $(cut -f4,5 <<<"$line")"
done <<'ROWS'
photo.heic|85 High Efficiency Image File Format (HEIC)|(480x320) (16,777,216 colors)
photo.avif|86 AV1 Image File Format (AVIF)|(320x480) (16,777,216 colors)
photo.webp|87 WebP|(480x320) (16,777,216 colors)
anim.webp|87 WebP|(480x320) (4,294,967,296 colors)
photo.jxl|88 JPEG XL|(480x320) (16,777,216 colors)
photo.dng|89 Adobe Digital Negative (DNG)|(480x320) (16,777,216 colors)
ROWS

"$build_dir/app/quillon32" "$album" >"$work/app.log" 2>&1 &
pid=$!
find_window "Formats.mdb" 60 >/dev/null || fail "the main window did not show"
grid

# near SHOT X Y R G B: each channel within 60 of the colour.
near() {
    convert "$work/$1.png" -crop "1x1+$2+$3" -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info: |
        awk -v r="$4" -v g="$5" -v b="$6" '{ exit !(($1 - r)^2 < 3600 && ($2 - g)^2 < 3600 && ($3 - b)^2 < 3600) }'
}
# Portrait 320 x 480 fills the frame's height, centred: 120 x 180 at 60,0; turned a quarter
# clockwise: blue top left, red top right, yellow bottom left, green bottom right.
upright() {
    shot "row$1" && read -r w h x y < <(content "row$1" 240 180 "$frame_x" "$frame_y") &&
        [ "$w $h $x $y" = "120 180 60 0" ] &&
        near "row$1" $((frame_x + 90)) $((frame_y + 45)) 30 30 220 &&
        near "row$1" $((frame_x + 150)) $((frame_y + 45)) 220 30 30 &&
        near "row$1" $((frame_x + 90)) $((frame_y + 135)) 230 220 40 &&
        near "row$1" $((frame_x + 150)) $((frame_y + 135)) 30 200 30
}
n=0
while IFS=$'\t' read -r _ _ name _; do
    n=$((n + 1))
    xdotool mousemove $((rowx + 60)) $((rowy + (n - 1) * (rowh + 1) + rowh / 2)) click 1
    wait_for 10 upright "$n" || fail "$name is not shown upright (${w}x$h at $x,$y in the frame)"
done < <(tail -n +2 "$work/list.txt")
[ "$n" -eq 6 ] || fail "$n rows"
echo PASS
