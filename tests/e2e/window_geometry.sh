#!/usr/bin/env bash
# The main window under a real window manager: a first start opens no album and reports none
# missing; the window then comes back where it was left and at its size, start after start,
# also when the opening screen shows first.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
program=$1
own_display "$@"
new_session
window_manager
fail() {
    import -window root "$work/failure.png" 2>/dev/null && cp "$work/failure.png" /tmp/window_geometry-failure.png
    echo "FAIL: $* (screen in /tmp/window_geometry-failure.png)"
    exit 1
}

# The client area of a window as X Y WIDTH HEIGHT, from the X server.
client() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^ *Width/ {w=$NF} /^ *Height/ {h=$NF} END {print x, y, w, h}'
}
saved() { grep -E '^(Left|Top|Width|Height)=' "$XDG_CONFIG_HOME/quillon32/quillon32.ini" | sort | tr '\n' ' '; }

# start [opening]: runs the program and sets win to its main window once the window manager
# has mapped it; with "opening", the opening screen is closed with its OK first.
start() {
    "$program" >>"$work/app.log" 2>&1 &
    pid=$!
    if [ "${1:-}" = opening ]; then
        about=$(find_window "^About Quillon 32$" 30) || fail "no opening screen"
        for _ in $(seq 40); do
            xdotool windowactivate --sync "$about" >/dev/null 2>&1 || true
            xdotool key --window "$about" Return >/dev/null 2>&1 || true
            xdotool search --onlyvisible --name "^About Quillon 32$" >/dev/null 2>&1 || break
            sleep 0.25
        done
    fi
    win=$(find_window "^Quillon 32$" 30) || fail "no main window"
}

# quit WINDOW: File > Exit through its key; the program must end. A key pressed before the
# window has the keyboard is lost, so it is pressed again until the program has ended.
quit() {
    for _ in $(seq 10); do
        xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
        xdotool key ctrl+q
        for _ in $(seq 10); do kill -0 "$pid" 2>/dev/null || break 2; sleep 0.1; done
    done
    kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the program"
    wait "$pid" || true
    pid=
}

# A first start: no message about "database file 1", straight to the empty window.
start
xdotool search --onlyvisible --name "^FYI$" >/dev/null 2>&1 && fail "a first start reported something missing"
echo "first start: the empty window, no message"

# Moved and resized as a person would, then left.
xdotool windowmove "$win" 130 90
xdotool windowsize "$win" 900 640
for _ in $(seq 50); do
    read -r x y w h < <(client "$win")
    [ "$w $h" = "900 640" ] && [ "$x" -ge 130 ] && break
    sleep 0.1
done
left=$(client "$win")
echo "left at $left"
quit "$win"
settings=$(saved)
echo "saved: $settings"

# Four starts with the opening screen first (the About window makes the main window's own before
# its place is set), each left as it came: the window must stay where it was. Options > Opening
# Screen is ticked in the layout the first run saved.
tick='s/(\{[^{}]*"id": "ID_OpeningScreen"[^{}]*\})/my $t = $1; $t =~ s|"checked": 0|"checked": 1|; $t/e'
perl -0pi -e "$tick" "$QUILLON32_HOME/Database.atb"
for round in 1 2 3 4; do
    start opening
    now=
    for _ in $(seq 50); do
        now=$(client "$win")
        [ "$now" = "$left" ] && break
        sleep 0.1
    done
    [ "$now" = "$left" ] || fail "start $round: the window is at $now, it was left at $left"
    quit "$win"
    [ "$(saved)" = "$settings" ] || fail "start $round saved $(saved), not $settings"
    echo "start $round: at $now"
done
echo "PASS"
