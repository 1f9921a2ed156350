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
grep -q "^Usage: quillon32" <<<"$help" || { echo "FAIL: --help printed: $help"; exit 1; }
[ "$(DISPLAY= "$program" --version)" = "Quillon 32 $QUILLON_VERSION" ] || { echo "FAIL: --version"; exit 1; }

"$program" &
pid=$!
# A first start opens no album: the empty window comes straight up, with no message.
win=$(find_window "^Quillon 32$" 20) || fail "no main window"
read -r X Y WIDTH HEIGHT < <(geometry "$win")
# A blank or unpainted frame has a handful of colours; menus, icons, text and the band have many.
colours() { convert "$work/window.png" -format %k info:; }
painted() { window_shot "$work/window.png" "$win" && [ "$(colours)" -gt 40 ]; }
wait_for 10 painted || { echo "FAIL: the window did not paint"; exit 1; }
echo "window ${WIDTH}x${HEIGHT} at ${X},${Y} with $(colours) colours"
# The band below the button bar runs from the highlight colour towards black.
left=$(convert "$work/window.png" -crop 1x1+6+70 -format '%[fx:int(255*(r+g+b))]' info:)
right=$(convert "$work/window.png" -crop "1x1+$((WIDTH - 4))+70" -format '%[fx:int(255*(r+g+b))]' info:)
echo "band brightness left=$left right=$right"
[ "$left" -gt "$right" ] || { echo "FAIL: no gradient band"; exit 1; }

# File > Exit through the keyboard, as a person would.
menu "$win" alt+f x
program_ended $pid 10 || fail "File > Exit did not end the program"
pid=
[ -s "$QUILLON32_HOME/Database.atb" ] || { echo "FAIL: Database.atb not saved"; exit 1; }
grep -q '^Width=' "$XDG_CONFIG_HOME/quillon32/quillon32.ini" || { echo "FAIL: geometry not saved"; exit 1; }
echo "PASS"
