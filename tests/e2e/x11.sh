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
    for _ in $(seq $((${2:-30} * 4))); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.25
    done
    return 1
}

# A run of its own: a work folder, removed at the end with the program once $pid is set, holding
# the program folder, the settings and the runtime folder.
new_session() {
    work=$(mktemp -d -t quillon.XXXXXX)
    pid=
    wm_pid=
    trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null || true; [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
    export QUILLON32_HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    unset QT_QPA_PLATFORM
}

# Scripts that keep screens on failure define their own.
fail() { echo "FAIL: $*"; exit 1; }

# window_manager: after new_session, starts openbox on the display and waits until it manages
# windows, so that tests of stacking, focus and placement see what a person's desktop does. It is
# stopped with the session.
window_manager() {
    openbox --sm-disable >/dev/null 2>&1 &
    wm_pid=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
    done
    fail "the window manager did not start"
}
