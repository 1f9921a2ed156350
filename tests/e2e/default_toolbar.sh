#!/usr/bin/env bash
# Options > Default Toolbar chosen with the mouse, several times, in the real program: the menu
# entry's own action is replaced while it delivers the click. The program must live on, and the
# rebuilt button bar must work (its Exit button ends the program and saves the layout).
set -euo pipefail
source "$(dirname "$0")/x11.sh"
quillon=$1
q32=$2
own_display "$@"
new_session
# Freed memory is filled with a pattern, so a use after free shows at once instead of sometimes.
export MALLOC_PERTURB_=165
fail() { echo "FAIL: $*"; tail -n 20 "$work/app.log"; exit 1; }

convert -size 300x200 xc:red "$work/red.png"
"$q32" create "$work/t.mdb" >/dev/null
"$q32" add "$work/t.mdb" "$work/red.png" 2>/dev/null

"$quillon" "$work/t.mdb" >"$work/app.log" 2>&1 &
pid=$!
win=$(find_window "t.mdb" 60) || fail "the main window did not show"
sleep 1
highlight="srgb(48,140,198)"
for round in 1 2 3 4 5 6; do
    xdotool windowfocus --sync "$win"
    xdotool key alt+o
    sleep 0.5
    # The menu is the newest top-level window of the program besides the main one.
    read -r mw mh mx my < <(xwininfo -root -children | grep -v "$(printf '0x%x' "$win")" |
        sed -n 's/.*"Quillon 32": ("quillon32" "Quillon 32")  \([0-9]*\)x\([0-9]*\)+\([0-9]*\)+\([0-9]*\).*/\1 \2 \3 \4/p' | head -n 1)
    [ -n "${mw:-}" ] || fail "round $round: the Options menu did not open"
    xdotool key Down # from "Customize Toolbar" to "Default Toolbar"
    sleep 0.3
    import -window root "$work/menu.png"
    read -r _ hh hx hy < <(convert "$work/menu.png" -crop "${mw}x${mh}+${mx}+${my}" +repage \
        -fill black +opaque "$highlight" -fill white -opaque "$highlight" -trim -format '%w %h %X %Y\n' info: | tr -d '+')
    xdotool mousemove $((mx + mw / 2)) $((my + hy + hh / 2)) click 1
    sleep 0.8
    kill -0 "$pid" 2>/dev/null || fail "the program died in round $round"
done
echo "Default Toolbar chosen 6 times with the mouse; the program lives"

# The rebuilt bar: its last button is Exit.
import -window root "$work/bar.png"
read -r bw _ bx _ < <(convert "$work/bar.png" -crop 720x34+0+20 +repage -fuzz 8% -fill black \
    -opaque "srgb(239,239,239)" -fill white +opaque black -trim -format '%w %h %X %Y\n' info: | tr -d '+')
xdotool mousemove $((bx + bw - 12)) 37 click 1
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "the Exit button of the rebuilt bar did nothing"
wait "$pid" || fail "the program ended with an error"
grep -q '"ID_Exit"' "$QUILLON32_HOME/Database.atb" || fail "no layout saved at exit"
echo "the rebuilt bar's Exit button ended the program and saved the layout"
