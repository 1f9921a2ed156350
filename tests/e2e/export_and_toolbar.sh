#!/usr/bin/env bash
# The main window's menus as a person uses them. Depository > Export Current Image, a file name,
# the File Save Options window: once to PNG, once to a 1-bit TIFF with Group 4 compression; the
# files must hold the picture. Then Options > Default Toolbar chosen with the mouse, several
# times: the menu entry's own action is replaced while it delivers the click. The program must
# live on, and the rebuilt button bar must work (its Exit button ends the program and saves the
# layout).
set -euo pipefail
source "$(dirname "$0")/x11.sh"
program=$1
q32=$2
own_display "$@"
new_session
# Freed memory is filled with a pattern, so a use after free shows at once instead of sometimes.
export MALLOC_PERTURB_=165

# A black square and a red one on white.
convert -size 300x200 xc:white -fill black -draw "rectangle 40,40 139,139" \
    -fill "rgb(200,30,30)" -draw "rectangle 180,40 259,139" "$work/squares.png"
"$q32" create "$work/album.mdb"
"$q32" add "$work/album.mdb" "$work/squares.png" 2>/dev/null

"$program" "$work/album.mdb" >"$work/app.log" 2>&1 &
pid=$!
win=$(find_window "album.mdb" 60) || fail "the main window did not show"

# export_as FILE KEYS...: Depository > Export Current Image, the file name, then the options
# window, given the KEYS (key:NAME for a key, else text typed).
export_as() {
    local file=$1 dialog options
    shift
    menu "$win" alt+d e
    dialog=$(find_window "Save Image As") || fail "no file dialog"
    focus "$dialog"
    xdotool key ctrl+a
    xdotool type --delay 30 "$file"
    xdotool key Return
    options=$(find_window "File Save Options") || fail "no options window"
    focus "$options"
    for keys in "$@"; do
        case $keys in
        key:*) xdotool key "${keys#key:}" ;;
        *) xdotool type --delay 60 "$keys" ;;
        esac
    done
    # A list of formats is many colours of text.
    painted() { window_shot "$work/options.png" "$options" && [ "$(convert "$work/options.png" -format %k info:)" -gt 20 ]; }
    wait_for 10 painted || fail "the options window did not paint"
    xdotool key Return
    wait_for 20 closed "$options" || fail "the options window stayed open"
    wait_for 20 identify "$file" >/dev/null 2>&1 || fail "$file was not written"
}
rgb() { convert "$1" -crop "1x1+$2+$3" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:; }

export_as "$work/squares-out.png" "PNG"
[ "$(identify -format '%m %w %h' "$work/squares-out.png")" = "PNG 300 200" ] || fail "the PNG is not the picture"
[ "$(rgb "$work/squares-out.png" 90 90)" = "0,0,0" ] || fail "no black square in the PNG"
[ "$(rgb "$work/squares-out.png" 220 90)" = "200,30,30" ] || fail "no red square in the PNG"
[ "$(rgb "$work/squares-out.png" 5 5)" = "255,255,255" ] || fail "no white ground in the PNG"

# TIFF CCITT, flavor G4 (typed into the Flavors list after Alt+V), 1 bit by itself.
export_as "$work/squares-g4.tif" "TIFF C" "key:alt+v" "G4"
tiff=$(identify -format '%m %w %h %z %C' "$work/squares-g4.tif")
[ "$tiff" = "TIFF 300 200 1 Group4" ] || fail "not a 1-bit Group 4 TIFF: $tiff"
[ "$(rgb "$work/squares-g4.tif" 90 90)" = "0,0,0" ] || fail "no black square in the TIFF"
[ "$(rgb "$work/squares-g4.tif" 5 5)" = "255,255,255" ] || fail "no white ground in the TIFF"

# Options > Default Toolbar: the highlighted entry of the menu, as "w h x y" inside it.
entry() { window_shot "$work/menu.png" "$menu" && colour_box "$work/menu.png" "$highlight" | grep .; }
moved() { [ "$(entry)" != "$first" ]; }
for round in 1 2 3 4 5 6; do
    menu=$(open_menu "$win" alt+o) || fail "round $round: the Options menu did not open"
    read -r mx my mw _ < <(geometry "$menu")
    first=$(wait_for 10 entry) || fail "round $round: no entry highlighted"
    xdotool key Down # from "Customize Toolbar" to "Default Toolbar"
    wait_for 10 moved || fail "round $round: Down did not move the highlight"
    read -r _ hh _ hy < <(entry)
    xdotool mousemove $((mx + mw / 2)) $((my + hy + hh / 2)) click 1
    wait_for 10 closed "$menu" || fail "round $round: the menu stayed open"
    kill -0 "$pid" 2>/dev/null || fail "the program died in round $round"
done

# The rebuilt bar: its last button is Exit.
read -r wx wy ww _ < <(geometry "$win")
window_shot "$work/bar.png" "$win"
read -r bw _ bx _ < <(convert "$work/bar.png" -crop "${ww}x34+0+20" +repage -fuzz 8% -fill black \
    -opaque "srgb(239,239,239)" -fill white +opaque black -trim -format '%w %h %X %Y\n' info: | tr -d '+')
xdotool mousemove $((wx + bx + bw - 12)) $((wy + 37)) click 1
program_ended "$pid" 10 || fail "the Exit button of the rebuilt bar did nothing"
wait "$pid" || fail "the program ended with an error"
pid=
grep -q '"ID_Exit"' "$QUILLON32_HOME/Database.atb" || fail "no layout saved at exit"
echo PASS
