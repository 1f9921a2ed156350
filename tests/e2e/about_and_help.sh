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
mkdir -p "$QUILLON32_HOME" "$XDG_CONFIG_HOME/quillon32"
fail() {
    import -window root "$build_dir/about_and_help-failure.png" 2>/dev/null || true
    echo "FAIL: $* (screen in $build_dir/about_and_help-failure.png)"
    exit 1
}

# The sample album is made once per build of q32; this run works on a copy of it.
# An album of an older q32 is brought up to date when the program opens it, and then would not
# be the backup byte for byte: one made by this build's q32 is kept for the test.
sample=$build_dir/tests/e2e/Sample.mdb
[ "$sample" -nt "$build_dir/cli/q32" ] || rm -f "$sample"
bash "$source_dir/scripts/make-sample-album.sh" "$sample" "$build_dir/cli/q32" >/dev/null
cp "$sample" "$work/Sample.mdb"
printf '[Main]\nLeft=0\nTop=0\nWidth=1100\nHeight=700\n' >"$XDG_CONFIG_HOME/quillon32/quillon32.ini"
# The toolbar layout of an earlier run that ticked Options > Opening Screen, and gave Compact
# Depository a key of its own (Customize Toolbar > Rename) for this script to reach it.
sed -e '/"id": "ID_OpeningScreen"/,/"checked"/ s/"checked": 0/"checked": 1/' \
    -e 's/"caption": "Compact Depository"/"caption": "Compact Depositor\&y"/' \
    "$source_dir/data/share/Database (default).atb" >"$QUILLON32_HOME/Database.atb"
grep -A4 '"ID_OpeningScreen"' "$QUILLON32_HOME/Database.atb" | grep -q '"checked": 1' || fail "no layout with the opening screen"

"$build_dir/app/quillon32" "$work/Sample.mdb" >"$work/run.log" 2>&1 &
pid=$!

# shot NAME WINDOW: the window's pixels in $work/NAME.png.
shot() { window_shot "$work/$1.png" "$2"; }
# shot_until NAME WINDOW TEST...: shoots the window until TEST holds for the shot (it has
# painted), for at most ten seconds.
shot_shows() { shot "$1" "$2" && "${@:3}"; }
shot_until() { wait_for 10 shot_shows "$@" || true; }
pixel() { convert "$work/$1.png" -crop "1x1+$2+$3" -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:; }
colours() { convert "$work/$1.png" -format %k info:; }
# keep NAME [SCALE]: a small copy for the help pages.
keep() {
    [ -n "$shots_dir" ] || return 0
    convert "$work/$1.png" -resize "${2:-100}%" -colors 96 -strip "PNG8:$shots_dir/$1.png"
}

about=$(find_window "^About Quillon 32$" 60) || fail "no About window at start-up"
painted() { [ "$(pixel "$1" 2 1)" = "0,0,255" ] && [ "$(colours "$1")" -gt "$2" ]; }
shot_until about "$about" painted about 60
read -r _ _ aw ah < <(geometry "$about")
echo "About window ${aw}x${ah}, $(colours about) colours"
# The main window waits for the opening screen to close.
if find_window "Sample.mdb" 1 >/dev/null; then
    fail "the main window showed before the opening screen closed"
fi
[ "$(pixel about 2 1)" = "0,0,255" ] || fail "the gradient does not start with full blue: $(pixel about 2 1)"
bottom=$(pixel about 2 $((ah - 1)))
case "$bottom" in 0,0,*) ;; *) fail "the gradient does not end in blue: $bottom" ;; esac
[ "${bottom##*,}" -lt 60 ] || fail "the gradient does not darken: $bottom"
[ "$(colours about)" -gt 60 ] || fail "the About window shows no text or picture"
keep about

# OK (the default button) closes it; the main window shows the sample album.
focus "$about"
xdotool key Return
main=$(find_window "Sample.mdb" 60) || fail "the main window did not open after OK"
window_gone "^About Quillon 32$" 10 || fail "the About window stayed open"
# The grid shows its current row, the preview its picture.
highlighted() { convert "$work/main.png" -fill black +opaque "srgb(48,140,198)" -format '%[fx:int(mean*w*h)]' info:; }
shown() { [ "$(highlighted)" -gt 500 ] && [ "$(colours main)" -gt 500 ]; }
shot_until main "$main" shown
highlight=$(highlighted)
echo "main window: $(colours main) colours, $highlight highlighted pixels"
[ "$highlight" -gt 500 ] || fail "no current row highlighted in the grid"
[ "$(colours main)" -gt 500 ] || fail "the main window shows no picture"
mv "$work/main.png" "$work/main-window.png"
keep main-window 70

# Help > Contents opens the help window on its contents.
menu "$main" alt+h c
help=$(find_window "^Contents - Quillon 32 Help$" 20) || fail "Help > Contents opened no help window"
many_colours() { [ "$(colours "$1")" -gt "$2" ]; }
shot_until help "$help" many_colours help 30
[ "$(colours help)" -gt 30 ] || fail "the help window is blank"
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
shot_until compact-report "$report" many_colours compact-report 2
keep compact-report
[ -s "$work/Sample.bak" ] || fail "no backup Sample.bak"
cmp -s "$work/Sample.bak" "$sample" || fail "the backup is not the album as it was"
focus "$report"
xdotool key Return
find_window "Sample.mdb" 30 >/dev/null || fail "the album did not open again"

# The other windows the help shows.
menu "$main" alt+o t
customize=$(find_window "^Customize Toolbar$" 20) || fail "no Customize Toolbar window"
shot_until customize-toolbar "$customize" many_colours customize-toolbar 2
keep customize-toolbar
focus "$customize"
xdotool key Escape
window_gone "^Customize Toolbar$" || fail "Escape did not close Customize Toolbar"
menu "$main" alt+f p
password=$(find_window "^SECURED DATABASE$" 20) || fail "no password window"
shot_until password "$password" many_colours password 2
keep password
focus "$password"
xdotool key Escape
window_gone "^SECURED DATABASE$" || fail "Escape did not close the password window"

# F1 in the full-screen viewer (a double click on the grid's current row): the viewer's page,
# above it.
shot main "$main"
# The caption band starts in the same colour at the window's left edge; the row is below it.
read -r mx my mw mh < <(geometry "$main")
read -r _ bh _ by < <(colour_box "$work/main.png" "srgb(48,140,198)" 4 "$mh" 0 0)
[ -n "${bh:-}" ] || fail "no caption band"
read -r rw rh rx ry < <(colour_box "$work/main.png" "srgb(48,140,198)" "$mw" $((mh - by - bh)) 0 $((by + bh)))
[ -n "${rh:-}" ] || fail "no current row"
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
pid=""
echo PASS
