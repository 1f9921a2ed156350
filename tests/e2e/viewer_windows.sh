#!/usr/bin/env bash
# The viewer on a 1600 x 1000 screen under a window manager: a 640 x 480 chess board of 16 x 16
# squares fitted to the screen shows all its rows and columns, centred; the delete question, the
# Image Caption window and its colour dialog each open in front of the viewer with the focus;
# Cancel keeps the record, OK shows the record before the deleted one.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
build_dir=$1
export XVFB_SCREEN=1600x1000x24
own_display "$@"
new_session
window_manager

# Three records, in the grid's order by name: the chess board (grey and white squares, so that
# its edge stands out from the black around it), a grey and a white picture. The caption's
# foreground is magenta so that its swatch can be found on screen.
convert -size 16x16 pattern:gray50 -filter point -resize '640x480!' -fill 'rgb(96,96,96)' \
    -opaque black "$work/chess.png"
convert -size 300x200 xc:gray50 "$work/grey.png"
convert -size 300x300 xc:white "$work/white.png"
q32=$build_dir/cli/q32
"$q32" create "$work/album.mdb" >/dev/null
for f in grey chess white; do "$q32" add "$work/album.mdb" "$work/$f.png" >/dev/null 2>&1; done
ini '[Main]\nLeft=0\nTop=0\nWidth=1100\nHeight=720\n[ImageCaption]\nCaptionForeColor=16711935\n'

"$build_dir/app/quillon32" "$work/album.mdb" >"$work/app.log" 2>&1 &
pid=$!
main=$(find_window "album.mdb" 60) || fail "the main window did not show"

active() { xdotool getactivewindow 2>/dev/null || true; }
is_active() { [ "$(active)" = "$1" ]; }
# The window manager's stacking order, bottom to top, as decimal ids.
stacking() {
    xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g' | xargs -n1 printf '%d\n'
}
# in_front ID NAME: ID has the focus, lies above every other window, and a screenshot shows the
# window's own grey face along its bottom edge (where every dialog has its buttons), not the
# viewer behind it.
in_front() {
    local id=$1 what=$2 x y w h
    wait_for 10 is_active "$id" || fail "$what does not have the focus (active: $(active))"
    [ "$(stacking | tail -1)" = "$id" ] || fail "$what is not on top of the stacking order"
    read -r x y w h < <(geometry "$id")
    # The window paints itself shortly after it is mapped.
    face_shown() {
        shot "$what"
        face=$(convert "$work/$what.png" -crop "$((w - 8))x8+$((x + 4))+$((y + h - 12))" \
            +repage -fuzz 3% -fill black -opaque "rgb(239,239,239)" -fill white +opaque black \
            -negate -format '%[fx:mean]' info:)
        awk -v f="$face" 'BEGIN { exit !(f > 0.5) }'
    }
    wait_for 10 face_shown || fail "$what is hidden on screen (share of its face: $face)"
}

# title_is WINDOW PATTERN: waits until the window's title matches.
title_matches() { xdotool getwindowname "$1" 2>/dev/null | grep -q "$2"; }
title_is() { wait_for 10 title_matches "$@"; }

# A click on the preview opens the viewer on the first record, the chess board.
read -r mx my _ _ < <(geometry "$main")
viewer=
for _ in 1 2 3; do
    xdotool mousemove $((mx + 150)) $((my + 170)) click 1
    viewer=$(find_window "Portable Network Graphics\) \(" 5) && break
done
[ -n "$viewer" ] || fail "the viewer did not open"
title_is "$viewer" "(640x480)" || fail "no chess board: $(xdotool getwindowname "$viewer")"

# The board on screen: the stage starts where the menu bar (grey, with a lighter line at its foot)
# ends down the left edge; the board is what is not black on the stage.
board_shown() {
    shot chess
    menu=$(convert "$work/chess.png" -crop 1x80+0+0 +repage -depth 8 txt:- |
        awk -F'[:,]' 'NR > 1 && !/#EFEFEF|#D6D6D6/ && y == "" { y = $2 } END { print y }')
    [ -n "$menu" ] && read -r bw bh bx by < <(convert "$work/chess.png" -crop "1600x$((1000 - menu))+0+$menu" +repage \
        -fuzz 10% -trim -format '%w %h %X %Y\n' info: | tr -d '+') && [ "$bw $bh" != "1 1" ]
}
wait_for 10 board_shown || fail "no viewer on screen"
area_h=$((1000 - menu))
# runs X Y W H: how many runs of grey and white a strip of the board holds.
runs() {
    convert "$work/chess.png" -crop "$3x$4+$1+$(($2 + menu))" +repage -colorspace gray \
        -threshold 60% -depth 8 txt:- | awk 'NR > 1 { v = $NF } NR > 1 && v != last { n++ }
        NR > 1 { last = v } END { print n }'
}
rows=$(runs $((bx + bw / 2 + 7)) "$by" 1 "$bh")
columns=$(runs "$bx" $((by + bh / 2 + 7)) "$bw" 1)
[ "$rows $columns" = "16 16" ] || fail "$rows rows and $columns columns of the board on screen, not 16"
# As large as the screen allows: the whole height, 4:3, centred across.
w=$((area_h * 4 / 3)) x=$(((1600 - area_h * 4 / 3) / 2))
[ "$by" -eq 0 ] && [ $((area_h - bh)) -le 1 ] && [ $((bw - w)) -le 2 ] && [ $((w - bw)) -le 2 ] &&
    [ $((bx - x)) -le 2 ] && [ $((x - bx)) -le 2 ] || fail "the board is ${bw}x$bh at $bx,$by, not ${w}x$area_h at $x,0"

# File > Delete Current Image: the question in front; Cancel keeps the chess board.
open_menu "$viewer" alt+f >/dev/null
xdotool key Return
question=$(find_window "^WARNING$" 20) || fail "no delete question"
in_front "$question" question
xdotool key Escape
wait_for 10 is_active "$viewer" || fail "the viewer did not get the focus back"
xdotool getwindowname "$viewer" | grep -q "(640x480)" || fail "Cancel moved to $(xdotool getwindowname "$viewer")"

# On to the white picture and delete it: the grey one, the record before it, comes back.
xdotool key Page_Up
title_is "$viewer" "(300x200)" || fail "no grey picture"
xdotool key Page_Up
title_is "$viewer" "(300x300)" || fail "no white picture"
open_menu "$viewer" alt+f >/dev/null
xdotool key Return
question=$(find_window "^WARNING$" 20) || fail "no delete question"
in_front "$question" question2
xdotool key Return
title_is "$viewer" "(300x200)" || fail "after the delete: $(xdotool getwindowname "$viewer")"
[ "$("$q32" list "$work/album.mdb" | tail -n +2 | wc -l)" -eq 2 ] || fail "the record was not deleted"

# Options > Image Caption (the last entry), then its foreground colour.
open_menu "$viewer" alt+o >/dev/null
xdotool key Right Up Return
caption=$(find_window "^Photo Album Caption Properties$" 20) || fail "no Image Caption window"
in_front "$caption" caption
read -r cx cy cw ch < <(geometry "$caption")
read -r sw sh sx sy < <(convert "$work/caption.png" -crop "${cw}x${ch}+${cx}+${cy}" +repage \
    -fill white +opaque "rgb(255,0,255)" -trim -format '%w %h %X %Y\n' info: | tr -d '+')
[ "$sw" -gt 10 ] && [ "$sw" -lt 100 ] || fail "no magenta swatch in the caption window"
xdotool mousemove $((cx + sx + sw / 2)) $((cy + sy + sh / 2)) click 1
colour=$(find_window "^Select Color$" 20) || fail "no colour dialog"
in_front "$colour" colour
xdotool key Escape
wait_for 10 is_active "$caption" || fail "the caption window did not get the focus back"
xdotool key Escape
wait_for 10 is_active "$viewer" || fail "the viewer did not get the focus back"

# Escape: back to the main window.
xdotool key Escape
window_gone "\(300x200\)" 10 || fail "the viewer did not close"
echo PASS
