# Sourced by the end-to-end scripts.
e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# own_display "$@": a script started without a display runs itself again under one of its own.
own_display() {
    [ -n "${DISPLAY:-}" ] || exec bash "$e2e_dir/with_display.sh" "$0" "$@"
}

# find_window TITLE-PATTERN [SECONDS]: prints the id of the first visible window whose title
# matches. A window that vanishes while xdotool looks at it (tips, menus, dialogs closing) makes
# that search fail with an X error, so a failed search is simply asked again.
find_window() {
    local id
    wait_for "${2:-30}" window_found "$1" && echo "$id"
}
window_found() { id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true; [ -n "$id" ]; }

# A run of its own: a work folder, removed at the end with the program once $pid is set, holding
# the program folder, the settings, the runtime folder and the temporary files of everything it
# starts. Named like the unit tests' folders, which a test searching /tmp for leaks passes over.
new_session() {
    work=$(mktemp -d -t tst_e2e.XXXXXX)
    pid=
    wm_pid=
    trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
    export QUILLON32_HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
    export TMPDIR=$work/tmp
    mkdir -p "$XDG_RUNTIME_DIR" "$TMPDIR" && chmod 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM
}

# fail MESSAGE: ends the test, keeping the screen of that moment (in $QUILLON_E2E_SHOTS or /tmp).
fail() {
    local screen
    screen=${QUILLON_E2E_SHOTS:-/tmp}/$(basename "$0" .sh)-failure.png
    import -window root "$screen" 2>/dev/null || screen="none"
    echo "FAIL: $* (screen: $screen)"
    [ ! -s "${work:-}/app.log" ] || tail -n 20 "$work/app.log"
    exit 1
}

# ini FORMAT [ARG...]: the settings file starts as printf writes it.
ini() {
    mkdir -p "$QUILLON32_HOME" "$XDG_CONFIG_HOME/quillon32"
    printf "$@" >"$XDG_CONFIG_HOME/quillon32/quillon32.ini"
}
# layout SED-ARG...: the program folder's toolbar layout is the shipped one edited by sed.
layout() {
    mkdir -p "$QUILLON32_HOME"
    sed "$@" "$e2e_dir/../../data/share/Database (default).atb" >"$QUILLON32_HOME/Database.atb"
}
# run_sample BUILD_DIR: the README's run command on a sample album of the session's own.
run_sample() {
    export QUILLON_NO_BUILD=1 QUILLON_BUILD_DIR=$1 QUILLON_SAMPLE=$work/Sample.mdb
    bash "$e2e_dir/../../scripts/run.sh" >"$work/app.log" 2>&1 &
    pid=$!
}

# window_manager: after new_session, starts openbox on the display and waits until it manages
# windows, so that tests of stacking, focus and placement see what a person's desktop does. It is
# stopped with the session.
window_manager() {
    openbox --sm-disable >/dev/null 2>&1 &
    wm_pid=$!
    # Up to 30 s: its first start on a new machine builds the font caches.
    wait_for 30 wm_ready || fail "the window manager did not start"
}
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# wait_for SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds; fails
# when it has not within SECONDS.
wait_for() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# no_window TITLE-PATTERN: no visible window has that title (asked twice, since a search that
# meets a closing window fails and prints nothing).
no_window() {
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] &&
        [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ]
}
window_gone() { wait_for "${2:-20}" no_window "$1"; }
# closed WINDOW: the window is no longer on the screen.
closed() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# ended PID: the process is gone. program_ended PID [SECONDS] waits for it.
ended() { ! kill -0 "$1" 2>/dev/null; }
program_ended() { wait_for "${2:-10}" ended "$1"; }

# focus WINDOW: gives the window the keyboard and waits until it has it, so that no key is lost.
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
take_focus() { xdotool windowfocus "$1" 2>/dev/null || true; has_focus "$1"; }
focus() { wait_for 10 take_focus "$1" || fail "window $1 did not take the keyboard"; }

# answer TITLE-PATTERN KEY [WHAT]: waits for a window (a question, WHAT), gives it the keyboard
# and presses KEY.
answer() {
    local id
    id=$(find_window "$1") || fail "no ${3:-window $1}"
    focus "$id"
    xdotool key "$2"
}

# The ids of the visible windows, menus and tips included.
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort || true; }
new_window_since() { [ -n "$(comm -13 <(echo "$1") <(visible_windows))" ]; }
# new_window BEFORE: waits for a window that is not in the list BEFORE (from visible_windows)
# and prints its id.
new_window() {
    wait_for 20 new_window_since "$1" || return 1
    comm -13 <(echo "$1") <(visible_windows) | head -1
}
# open_menu WINDOW KEY: opens one of WINDOW's menus by its key (alt+f), waits until it shows and
# prints its id.
open_menu() {
    focus "$1"
    local before
    before=$(visible_windows)
    xdotool key "$2"
    new_window "$before" || fail "the menu of $2 did not open"
}
# menu WINDOW KEY LETTER: picks an entry of that menu by its LETTER.
menu() {
    open_menu "$1" "$2" >/dev/null
    xdotool key "$3"
}

# Geometry of a window's contents on the screen as X Y WIDTH HEIGHT (also under a window manager).
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print x, y, w, h }'
}
# shot NAME: the whole screen in $work/NAME.png. pixel NAME X Y: one pixel of it as srgb(r,g,b).
shot() { import -window root "$work/$1.png"; }
pixel() { convert "$work/$1.png" -crop "1x1+$2+$3" -format '%[pixel:p]' info:; }
# window_shot FILE WINDOW: the window's pixels as on the screen.
window_shot() {
    local x y w h
    read -r x y w h < <(geometry "$2")
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$1"
}
# colour_box FILE COLOUR [W H X Y]: the bounding box "w h x y" of one colour in the image (or in
# the rectangle W H X Y of it), in the image's pixels; nothing when the colour is not there.
colour_box() {
    local crop=()
    [ $# -lt 6 ] || crop=(-crop "$3x$4+$5+$6" +repage)
    convert "$1" "${crop[@]}" -fuzz 4% -fill black +opaque "$2" -fill white -opaque "$2" "$1.mask.png"
    [ "$(convert "$1.mask.png" -format '%[fx:mean>0]' info:)" = 1 ] || return 0
    convert "$1.mask.png" -trim -format '%w %h %X %Y\n' info: | tr -d '+' |
        awk -v x="${5:-0}" -v y="${6:-0}" '{ print $1, $2, $3 + x, $4 + y }'
}

# content NAME W H X Y: the box "w h x y" of what is not the window's grey in a rectangle of a shot.
content() {
    convert "$work/$1.png" -crop "$2x$3+$4+$5" +repage -fuzz 3% -fill black -opaque "srgb(239,239,239)" \
        -fill white +opaque black -trim -format '%w %h %X %Y\n' info: | tr -d '+'
}

highlight="srgb(48,140,198)"
# grid: waits for the main window's highlighted grid row and sets rowx rowy rowh (its box on the
# screen), clientx clienty (the client area: the cells start 319 pixels in, below the caption band
# of the highlight colour) and frame_x frame_y (the preview's 240 x 180 frame).
grid_shown() {
    shot grid && read -r _ rowh rowx rowy < <(colour_box "$work/grid.png" "$highlight" 980 590 300 110)
}
grid() {
    wait_for 30 grid_shown || fail "no highlighted row"
    clientx=$((rowx - 319))
    clienty=$(convert "$work/grid.png" -crop "1x300+$((clientx + 1))+0" +repage -depth 8 txt:- |
        awk -F'[:,]' '/#308CC6/ && y == "" { y = $2 } END { print y }')
    [ -n "$clienty" ] || fail "no caption band"
    frame_x=$((clientx + 38)) frame_y=$((clienty + 58))
}
# row_of ALBUM NAME: the 1-based grid row of a file name in date order.
row_of() { "$q32" list "$1" | tail -n +2 | cut -f3 | grep -n -x -F "$2" | cut -d: -f1; }

# text_box FILE WORD...: the box "x y w h" (in the image's pixels) of the words, one after the
# other on one line and standing apart from other text there (a button's caption, not the same
# word inside a sentence; a check box's tick or an icon does not count), as tesseract reads the
# image; nothing when they are not there. The image is read twice enlarged, for the small print
# of buttons and menus, on one thread (the machine runs the program and other tests meanwhile).
text_box() {
    local file=$1
    shift
    convert "$file" -resize 200% "$file.read.png"
    OMP_THREAD_LIMIT=1 tesseract "$file.read.png" - tsv 2>/dev/null | awk -F'\t' -v words="$*" '
        BEGIN { n = split(words, want, " ") }
        NR == 1 || $12 == "" { next }
        { at = $3 " " $4 " " $5; m++; line[m] = at; word[m] = $12; x[m] = $7; y[m] = $8; w[m] = $9; h[m] = $10 }
        END {
            for (i = 1; i + n - 1 <= m; i++) {
                ok = 1
                for (k = 0; k < n && ok; k++)
                    ok = word[i + k] == want[k + 1] && line[i + k] == line[i]
                if (!ok) continue
                j = i + n - 1
                gap = 2 * h[i]
                if (i > 1 && line[i - 1] == line[i] && word[i - 1] ~ /[A-Za-z][A-Za-z][A-Za-z]/ &&
                    x[i] - (x[i - 1] + w[i - 1]) < gap) continue
                if (j < m && line[j + 1] == line[i] && word[j + 1] ~ /[A-Za-z][A-Za-z][A-Za-z]/ &&
                    x[j + 1] - (x[j] + w[j]) < gap) continue
                print int(x[i] / 2), int(y[i] / 2), int((x[j] + w[j] - x[i]) / 2), int(h[i] / 2)
                exit
            }
        }'
}
# text_in FILE PATTERN: the text tesseract reads in the image has a line matching PATTERN.
# Tesseract sometimes reads a space after a file name's dot ("boat. png"); it is dropped.
text_in() {
    convert "$1" -resize 200% "$1.read.png"
    OMP_THREAD_LIMIT=1 tesseract "$1.read.png" - 2>/dev/null | sed 's/\. \([a-z]\)/.\1/g' | grep -q -- "$2"
}
text_shown() {
    window_shot "$work/text.png" "$1" && read -r tx ty tw th < <(text_box "$work/text.png" "${@:2}")
}
# text_place WINDOW WORD...: waits until the words show in the window and prints their box
# "x y w h" on the screen.
text_place() {
    local wx wy tx ty tw th
    wait_for 10 text_shown "$@" || return 1
    read -r wx wy _ _ < <(geometry "$1")
    echo $((wx + tx)) $((wy + ty)) "$tw" "$th"
}
# click_text WINDOW WORD...: waits until the words show in the window, then clicks on them.
click_text() {
    local x y w h
    read -r x y w h < <(text_place "$@") || fail "no \"${*:2}\" in window $1"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}
