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
highlight="srgb(48,140,198)"
# The highlighted entry of the menu, as "w h x y" inside it.
entry() { window_shot "$work/menu.png" "$menu" && colour_box "$work/menu.png" "$highlight" | grep .; }
for round in 1 2 3 4 5 6; do
    menu=$(open_menu "$win" alt+o) || fail "round $round: the Options menu did not open"
    read -r mx my mw _ < <(geometry "$menu")
    wait_for 10 entry >/dev/null || fail "round $round: no entry highlighted"
    first=$(entry)
    xdotool key Down # from "Customize Toolbar" to "Default Toolbar"
    moved() { [ "$(entry)" != "$first" ]; }
    wait_for 10 moved || fail "round $round: Down did not move the highlight"
    read -r _ hh _ hy < <(entry)
    xdotool mousemove $((mx + mw / 2)) $((my + hy + hh / 2)) click 1
    wait_for 10 closed "$menu" || fail "round $round: the menu stayed open"
    kill -0 "$pid" 2>/dev/null || fail "the program died in round $round"
done
echo "Default Toolbar chosen 6 times with the mouse; the program lives"

# The rebuilt bar: its last button is Exit.
read -r wx wy ww _ < <(geometry "$win")
window_shot "$work/bar.png" "$win"
read -r bw _ bx _ < <(convert "$work/bar.png" -crop "${ww}x34+0+20" +repage -fuzz 8% -fill black \
    -opaque "srgb(239,239,239)" -fill white +opaque black -trim -format '%w %h %X %Y\n' info: | tr -d '+')
xdotool mousemove $((wx + bx + bw - 12)) $((wy + 37)) click 1
program_ended "$pid" 10 || fail "the Exit button of the rebuilt bar did nothing"
wait "$pid" || fail "the program ended with an error"
grep -q '"ID_Exit"' "$QUILLON32_HOME/Database.atb" || fail "no layout saved at exit"
echo "the rebuilt bar's Exit button ended the program and saved the layout"
