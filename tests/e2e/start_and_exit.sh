#!/usr/bin/env bash
# The real program under a window manager. A first start opens no album and reports nothing
# missing: the empty window paints its menus, button bar and band. Moved, resized and left through
# File > Exit, it saves the layout and the geometry and comes back there start after start, also
# when the opening screen shows first.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
program=$1
own_display "$@"
new_session
window_manager

# --help and --version answer on the terminal, even without a display, and open no window.
help=$(DISPLAY= "$program" --help)
grep -q "^Usage: quillon32" <<<"$help" || fail "--help printed: $help"
[ "$(DISPLAY= "$program" --version)" = "Quillon 32 $QUILLON_VERSION" ] || fail "--version"

saved() { grep -E '^(Left|Top|Width|Height)=' "$XDG_CONFIG_HOME/quillon32/quillon32.ini" | sort | tr '\n' ' '; }
# start [opening]: runs the program and sets win to its main window; with "opening", the opening
# screen is closed with its OK first.
start() {
    "$program" >>"$work/app.log" 2>&1 &
    pid=$!
    if [ "${1:-}" = opening ]; then
        answer "^About Quillon 32$" Return "opening screen"
        window_gone "^About Quillon 32$" 10 || fail "OK did not close the opening screen"
    fi
    win=$(find_window "^Quillon 32$" 30) || fail "no main window"
}
# quit WINDOW: File > Exit through its key.
quit() {
    focus "$1"
    xdotool key ctrl+q
    program_ended "$pid" 10 || fail "File > Exit did not end the program"
    pid=
}

start
# A blank or unpainted frame has a handful of colours; menus, icons, text and the band have many.
colours() { convert "$work/window.png" -format %k info:; }
painted() { window_shot "$work/window.png" "$win" && [ "$(colours)" -gt 40 ]; }
wait_for 10 painted || fail "the window did not paint"
no_window "^FYI$" || fail "a first start reported something missing"
# The band below the button bar runs from the highlight colour towards black.
read -r _ _ width _ < <(geometry "$win")
brightness() { convert "$work/window.png" -crop "1x1+$1+70" -format '%[fx:int(255*(r+g+b))]' info:; }
[ "$(brightness 6)" -gt "$(brightness $((width - 4)))" ] || fail "no gradient band"

# Moved and resized as a person would, then left through File > Exit.
xdotool windowmove "$win" 130 90
xdotool windowsize "$win" 900 640
moved() { read -r x _ w h < <(geometry "$win") && [ "$w $h" = "900 640" ] && [ "$x" -ge 130 ]; }
wait_for 5 moved || fail "the window manager did not move and size the window"
left=$(geometry "$win")
menu "$win" alt+f x
program_ended "$pid" 10 || fail "File > Exit did not end the program"
pid=
[ -s "$QUILLON32_HOME/Database.atb" ] || fail "Database.atb not saved"
settings=$(saved)
echo "left at $left, saved: $settings"
[[ $settings == *Width=* ]] || fail "geometry not saved"

# Four starts with the opening screen first (the About window makes the main window's own before
# its place is set), each left as it came: the window must stay where it was. Options > Opening
# Screen is ticked in the layout the first run saved.
tick='s/(\{[^{}]*"id": "ID_OpeningScreen"[^{}]*\})/my $t = $1; $t =~ s|"checked": 0|"checked": 1|; $t/e'
perl -0pi -e "$tick" "$QUILLON32_HOME/Database.atb"
for round in 1 2 3 4; do
    start opening
    back() { now=$(geometry "$win") && [ "$now" = "$left" ]; }
    wait_for 5 back || fail "start $round: the window is at $now, it was left at $left"
    quit "$win"
    [ "$(saved)" = "$settings" ] || fail "start $round saved $(saved), not $settings"
done
echo PASS
