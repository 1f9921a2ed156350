#!/usr/bin/env bash
# Exporting the current record from the main window as a person does it: Depository > Export
# Current Image, a file name, the File Save Options window; once to PNG, once to a 1-bit TIFF
# with Group 4 compression. The files must hold the picture.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
program=$1
q32=$2
own_display "$@"
new_session

# A black square and a red one on white.
convert -size 300x200 xc:white -fill black -draw "rectangle 40,40 139,139" \
    -fill "rgb(200,30,30)" -draw "rectangle 180,40 259,139" "$work/squares.png"
"$q32" create "$work/album.mdb"
"$q32" add "$work/album.mdb" "$work/squares.png" 2>/dev/null

"$program" "$work/album.mdb" &
pid=$!
win=$(find_window "album.mdb" 60) || fail "the main window did not show"

# Depository > Export Current Image, the file name, then the options window.
export_as() { # file, keys for the options window...
    local file=$1; shift
    menu "$win" alt+d e
    local dialog; dialog=$(find_window "Save Image As") || fail "no file dialog"
    focus "$dialog"
    xdotool key ctrl+a
    xdotool type --delay 30 "$file"
    xdotool key Return
    local options; options=$(find_window "File Save Options") || fail "no options window"
    focus "$options"
    for keys in "$@"; do
        case $keys in
        key:*) xdotool key "${keys#key:}" ;;
        *) xdotool type --delay 60 "$keys" ;;
        esac
    done
    painted() { window_shot "$work/options.png" "$options" && [ "$(convert "$work/options.png" -format %k info:)" -gt 20 ]; }
    wait_for 10 painted || true
    xdotool key Return
    wait_for 20 closed "$options" || fail "the options window stayed open"
    wait_for 20 identify "$file" >/dev/null 2>&1 || fail "$file was not written"
}

export_as "$work/squares-out.png" "PNG"
# The options window was on the screen: a list of formats is many colours of text.
colours=$(convert "$work/options.png" -format %k info:)
[ "$colours" -gt 20 ] || fail "the options window did not paint"
read -r kind w h < <(identify -format '%m %w %h\n' "$work/squares-out.png")
echo "PNG: $kind $w x $h"
[ "$kind $w $h" = "PNG 300 200" ] || fail "the PNG is not the picture"
pixel() { convert "$1" -crop "1x1+$2+$3" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:; }
[ "$(pixel "$work/squares-out.png" 90 90)" = "0,0,0" ] || fail "no black square in the PNG"
[ "$(pixel "$work/squares-out.png" 220 90)" = "200,30,30" ] || fail "no red square in the PNG"
[ "$(pixel "$work/squares-out.png" 5 5)" = "255,255,255" ] || fail "no white ground in the PNG"

# TIFF CCITT, flavor G4 (typed into the Flavors list after Alt+V), 1 bit by itself.
export_as "$work/squares-g4.tif" "TIFF C" "key:alt+v" "G4"
read -r kind w h depth compression < <(identify -format '%m %w %h %z %C\n' "$work/squares-g4.tif")
echo "TIFF: $kind $w x $h, $depth bit, $compression"
[ "$kind $w $h $depth $compression" = "TIFF 300 200 1 Group4" ] || fail "not a 1-bit Group 4 TIFF"
[ "$(pixel "$work/squares-g4.tif" 90 90)" = "0,0,0" ] || fail "no black square in the TIFF"
[ "$(pixel "$work/squares-g4.tif" 5 5)" = "255,255,255" ] || fail "no white ground in the TIFF"

menu "$win" alt+f x
program_ended $pid 10 || fail "File > Exit did not end the program"
pid=
echo PASS
