#!/usr/bin/env bash
# The real program under a virtual X display: it must paint its window (menus, button bar,
# band, empty grid), and leaving through File > Exit must save the layout and the geometry.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
program=$1
own_display "$@"
new_session

# --help and --version answer on the terminal, even without a display, and open no window.
help=$(DISPLAY= "$program" --help)
echo "$help" | grep -q "^Usage: quillon32" || { echo "FAIL: --help printed: $help"; exit 1; }
[ "$(DISPLAY= "$program" --version)" = "Quillon 32 $QUILLON_VERSION" ] || { echo "FAIL: --version"; exit 1; }

"$program" &
pid=$!
# A first start opens no album: the empty window comes straight up, with no message.
win=$(find_window "^Quillon 32$" 20) || fail "no main window"
sleep 1
import -window root "$work/screen.png"
geometry=$(xdotool getwindowgeometry --shell "$win")
eval "$geometry"
convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/window.png"
colours=$(convert "$work/window.png" -format %k info:)
echo "window ${WIDTH}x${HEIGHT} at ${X},${Y} with $colours colours"
# A blank or unpainted frame has a handful of colours; menus, icons, text and the band have many.
[ "$colours" -gt 40 ] || { echo "FAIL: the window did not paint"; exit 1; }
# The band below the button bar runs from the highlight colour towards black.
left=$(convert "$work/window.png" -crop 1x1+6+70 -format '%[fx:int(255*(r+g+b))]' info:)
right=$(convert "$work/window.png" -crop "1x1+$((WIDTH - 4))+70" -format '%[fx:int(255*(r+g+b))]' info:)
echo "band brightness left=$left right=$right"
[ "$left" -gt "$right" ] || { echo "FAIL: no gradient band"; exit 1; }

# File > Exit through the keyboard, as a person would.
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
xdotool key --window "$win" alt+f
sleep 0.5
xdotool key x
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then
    kill $pid
    echo "FAIL: File > Exit did not end the program"
    exit 1
fi
[ -s "$QUILLON32_HOME/Database.atb" ] || { echo "FAIL: Database.atb not saved"; exit 1; }
grep -q '^Width=' "$XDG_CONFIG_HOME/quillon32/quillon32.ini" || { echo "FAIL: geometry not saved"; exit 1; }
echo "PASS"
