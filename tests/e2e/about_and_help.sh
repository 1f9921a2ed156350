#!/usr/bin/env bash
# A first start with the opening screen set: the About window comes first, over its blue
# gradient; OK closes it and the main window shows the sample album. Help > Contents opens the
# help window, F1 turns it to the main window's page; the album is compacted from the File menu.
# On the way it takes the screenshots of the help pages: given a third argument (the help's
# images folder) it writes them there, small.
#
#   about_and_help.sh SOURCE_DIR BUILD_DIR [SHOTS_DIR]
set -euo pipefail
source "$(dirname "$0")/x11.sh"
source_dir=$1
build_dir=$2
shots_dir=${3:-}
own_display "$@"
new_session

# A sample album of this build's q32, and a copy for the compaction's backup to be compared with.
sample=$work/original.mdb
bash "$source_dir/scripts/make-sample-album.sh" "$work/Sample.mdb" "$build_dir/cli/q32" >/dev/null
cp "$work/Sample.mdb" "$sample"
ini '[Main]\nLeft=0\nTop=0\nWidth=1100\nHeight=700\n'
# The toolbar layout of an earlier run that ticked Options > Opening Screen, and gave Compact
# Depository a key of its own (Customize Toolbar > Rename) for this script to reach it.
layout -e '/"id": "ID_OpeningScreen"/,/"checked"/ s/"checked": 0/"checked": 1/' \
    -e 's/"caption": "Compact Depository"/"caption": "Compact Depositor\&y"/'

"$build_dir/app/quillon32" "$work/Sample.mdb" >"$work/app.log" 2>&1 &
pid=$!

# shot_until NAME WINDOW TEST...: shoots the window into $work/NAME.png until TEST holds for the
# shot (it has painted), for at most ten seconds.
shot_shows() { window_shot "$work/$1.png" "$2" && "${@:3}"; }
shot_until() { wait_for 10 shot_shows "$@"; }
rgb() { convert "$work/$1.png" -crop "1x1+$2+$3" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:; }
colours() { convert "$work/$1.png" -format %k info:; }
many_colours() { [ "$(colours "$1")" -gt "$2" ]; }
# keep NAME [SCALE]: a small copy for the help pages.
keep() {
    [ -n "$shots_dir" ] || return 0
    convert "$work/$1.png" -resize "${2:-100}%" -colors 96 -strip "PNG8:$shots_dir/$1.png"
}

about=$(find_window "^About Quillon 32$" 60) || fail "no About window at start-up"
# A blue gradient, full blue at the top and darker at the foot, with text and a picture on it.
read -r _ _ _ ah < <(geometry "$about")
painted() { [ "$(rgb about 2 1)" = "0,0,255" ] && many_colours about 60; }
shot_until about "$about" painted || fail "the About window shows no text or picture on full blue: $(rgb about 2 1)"
# The main window waits for the opening screen to close.
! find_window "Sample.mdb" 1 >/dev/null || fail "the main window showed before the opening screen closed"
bottom=$(rgb about 2 $((ah - 1)))
[[ $bottom == 0,0,* ]] && [ "${bottom##*,}" -lt 60 ] || fail "the gradient does not end in a darker blue: $bottom"
keep about

# OK (the default button) closes it; the main window shows the sample album.
answer "^About Quillon 32$" Return
main=$(find_window "Sample.mdb" 60) || fail "the main window did not open after OK"
window_gone "^About Quillon 32$" 10 || fail "the About window stayed open"
# The grid shows its current row, the preview its picture.
highlighted() { convert "$work/main.png" -fill black +opaque "$highlight" -format '%[fx:int(mean*w*h)]' info:; }
shown() { [ "$(highlighted)" -gt 500 ] && many_colours main 500; }
shot_until main "$main" shown || fail "no current row highlighted ($(highlighted) pixels) or no picture ($(colours main) colours)"
mv "$work/main.png" "$work/main-window.png"
keep main-window 70

# Help > Contents opens the help window on its contents.
menu "$main" alt+h c
help=$(find_window "^Contents - Quillon 32 Help$" 20) || fail "Help > Contents opened no help window"
shot_until help "$help" many_colours help 30 || fail "the help window is blank"
keep help 70

# F1 on the main window: its own page.
focus "$main"
xdotool key F1
find_window "^The main window - Quillon 32 Help$" 20 >/dev/null || fail "F1 did not show the main window's page"

# File > Compact Depository: the report, the backup, the album again.
menu "$main" alt+f y
report=$(find_window "^COMPACT DATABASE$" 60) || fail "no compaction report"
# The progress window goes with the work: it never comes up over the report. (The main window,
# its album closed meanwhile, bears the same title.)
progress=$(xdotool search --onlyvisible --name "^Quillon 32$" 2>/dev/null | grep -vx "$main") || true
[ -z "$progress" ] || fail "a progress window came up over the compaction report"
shot_until compact-report "$report" many_colours compact-report 2 || fail "the report is blank"
keep compact-report
[ -s "$work/Sample.bak" ] || fail "no backup Sample.bak"
cmp -s "$work/Sample.bak" "$sample" || fail "the backup is not the album as it was"
answer "^COMPACT DATABASE$" Return
find_window "Sample.mdb" 30 >/dev/null || fail "the album did not open again"

# The other windows the help shows, from the main window's menus: kept, then closed by Escape.
help_window() { # MENU-KEY LETTER NAME TITLE
    local id
    menu "$main" "$1" "$2"
    id=$(find_window "$4" 20) || fail "no $4 window"
    shot_until "$3" "$id" many_colours "$3" 2 || fail "$4 is blank"
    keep "$3"
    focus "$id"
    xdotool key Escape
    window_gone "$4" || fail "Escape did not close $4"
}
help_window alt+o t customize-toolbar "^Customize Toolbar$"
help_window alt+f p password "^SECURED DATABASE$"

# F1 in the full-screen viewer (a double click on the grid's current row): the viewer's page,
# above it.
window_shot "$work/main.png" "$main"
# The caption band starts in the same colour at the window's left edge; the row is below it.
read -r mx my mw mh < <(geometry "$main")
read -r _ bh _ by < <(colour_box "$work/main.png" "$highlight" 4 "$mh" 0 0) || fail "no caption band"
read -r rw rh rx ry < <(colour_box "$work/main.png" "$highlight" "$mw" $((mh - by - bh)) 0 $((by + bh))) ||
    fail "no current row"
xdotool mousemove $((mx + rx + rw / 2)) $((my + ry + rh / 2)) click --repeat 2 1
focus_left() { ! has_focus "$main" && [ "$(xdotool getwindowfocus 2>/dev/null)" -gt 1 ]; }
wait_for 20 focus_left || fail "the viewer did not open"
viewer=$(xdotool getwindowfocus)
xdotool key F1
find_window "^The viewer and the slideshow - Quillon 32 Help$" 20 >/dev/null || fail "F1 did not show the viewer's page"
focus "$viewer"
xdotool key Escape
wait_for 20 closed "$viewer" || fail "Escape did not close the viewer"

# Exit by its key (Alt+F may now open Filters, which shares the F).
focus "$main"
xdotool key ctrl+q
program_ended $pid 10 || fail "Exit did not end the program"
pid=
echo PASS
