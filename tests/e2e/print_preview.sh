#!/usr/bin/env bash
# Printing the current record of the sample album on a machine whose CUPS cannot be reached:
# the program says so, offers a PDF file, opens "Print Preview" with the picture on its sheet;
# a drag moves the picture and rewrites Left and Top; "&Print" writes the PDF with the picture
# where the sheet showed it. Screenshots are kept in the build folder (Testing/print_preview).
set -euo pipefail
source "$(dirname "$0")/x11.sh"
source_dir=$1
build_dir=$2
own_display "$@"
new_session
keep=$build_dir/Testing/print_preview
rm -rf "$keep" && mkdir -p "$keep"
export QUILLON_NO_BUILD=1 QUILLON_BUILD_DIR=$build_dir QUILLON_SAMPLE=$work/Sample.mdb
export CUPS_SERVER=$work/no-cups-here.sock LC_ALL=C.UTF-8
ini=$XDG_CONFIG_HOME/quillon32/quillon32.ini

shot() { import -window root "$keep/$1.png"; }
window() { # title [seconds]
    find_window "$@" || true
}
# Bounding box "w h x y" of the picture's colours (not white, grey or black) in a rectangle.
picture_box() {
    convert "$keep/$1.png" -crop "$2x$3+$4+$5" +repage -colorspace HSL -channel G -separate \
        +channel -threshold 25% -trim -format '%w %h %X %Y\n' info: | tr -d '+'
}
setting() { sed -n "s/^$1=//p" "$ini" | head -1; }

bash "$source_dir/scripts/run.sh" >"$work/run.log" 2>&1 &
pid=$!
main=$(window "Sample.mdb" 120)
[ -n "$main" ] || fail "the sample album did not open"

# The first record is current: Depository > Print Current Image.
first=$("$build_dir/cli/q32" list "$QUILLON_SAMPLE" | sed -n 2p | cut -f3)
[ "$first" = "Autumn colours.bmp" ] || fail "the sample album starts with $first, not Autumn colours.bmp"
menu "$main" alt+d p
error=$(window "^PRINT ERROR$")
[ -n "$error" ] || fail "no message about the missing printer"
shot no-printer
focus "$error"
xdotool key Return
question=$(window "^PRINT TO FILE$")
[ -n "$question" ] || fail "no offer to print to a file"
focus "$question"
xdotool key Return

preview=$(window "^Print Preview$")
[ -n "$preview" ] || fail "the Print Preview window did not open"
read -r wx wy _ _ < <(geometry "$preview")
# The sheet: 170 x 220 pixels inside the panel at 8,8 of the window.
sheet_x=$((wx + 11)) sheet_y=$((wy + 10))
# picture_at NAME: shoots the screen and reads the picture's box on the sheet into w h x y.
picture_at() { shot "$1" && read -r w h x y < <(picture_box "$1" 170 220 "$sheet_x" "$sheet_y"); }
on_sheet() { picture_at preview && [ "$w" -ge 15 ]; }
wait_for 10 on_sheet || true
read -r pw ph px py < <(picture_box preview 170 220 "$sheet_x" "$sheet_y")
echo "picture on the sheet: ${pw}x${ph} at $px,$py"
[ "$pw" -ge 15 ] && [ "$pw" -le 40 ] && [ "$ph" -ge 10 ] && [ "$px" -le 2 ] && [ "$py" -le 2 ] ||
    fail "the sheet does not show the picture at its top-left corner"
[ "$(setting PrintLeft)" = "" ] || fail "opening stored a position"

# Drag it: its top-left corner goes where the mouse lets go.
xdotool mousemove $((sheet_x + px + pw / 2)) $((sheet_y + py + ph / 2)) mousedown 1
xdotool mousemove $((sheet_x + 50)) $((sheet_y + 60))
xdotool mousemove $((sheet_x + 70)) $((sheet_y + 90))
xdotool mouseup 1
dropped() { picture_at dragged && [ "$x" -ge 60 ] && [ -n "$(setting PrintLeft)" ]; }
wait_for 10 dropped || true
read -r dw dh dx dy < <(picture_box dragged 170 220 "$sheet_x" "$sheet_y")
echo "after the drag: ${dw}x${dh} at $dx,$dy"
[ $((dx - 70)) -ge -1 ] && [ $((dx - 70)) -le 1 ] && [ $((dy - 90)) -ge -1 ] && [ $((dy - 90)) -le 1 ] ||
    fail "the picture did not move where it was dropped"
left=$(setting PrintLeft) top=$(setting PrintTop)
echo "Left $left, Top $top"
[ -n "$left" ] && [ -n "$top" ] && [ "${left%%.*}" -gt 1000 ] && [ "${top%%.*}" -gt 1000 ] ||
    fail "Left and Top did not change with the drag"

# "&Print" has the focus: Enter prints, into the file asked for.
focus "$preview"
xdotool key Return
dialog=$(window "^Print To PDF File$")
[ -n "$dialog" ] || fail "no file was asked for"
focus "$dialog"
xdotool key ctrl+a
xdotool type --delay 20 "$work/printed.pdf"
xdotool key Return
printed() { [ -s "$work/printed.pdf" ] && no_window "^Print Preview$"; }
wait_for 30 printed || fail "no PDF was written"
cp "$work/printed.pdf" "$keep/"

# On paper at 100 dpi: half an inch of margin at the side, a quarter at the top, then Left and
# Top in dots of 600 per inch; 640 x 480 dots make 107 x 80 pixels.
pdftoppm -r 100 -png -singlefile "$work/printed.pdf" "$keep/page"
read -r qw qh qx qy < <(convert "$keep/page.png" -fuzz 15% -trim -format '%w %h %X %Y\n' info: | tr -d '+')
ex=$(((50 * 600 + ${left%%.*} * 100) / 600)) ey=$(((25 * 600 + ${top%%.*} * 100) / 600))
echo "on paper: ${qw}x${qh} at $qx,$qy; asked ${ex},${ey} 107x80"
near() { [ $(($1 - $2)) -ge -2 ] && [ $(($1 - $2)) -le 2 ]; }
near "$qx" "$ex" && near "$qy" "$ey" && near "$qw" 107 && near "$qh" 80 ||
    fail "the printed picture is not where the sheet showed it"
echo PASS
