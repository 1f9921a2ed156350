#!/usr/bin/env bash
# A protected album's clip playing in the slideshow when the program is killed (SIGKILL), and
# again while the image editor has a picture; each time the program is started again and quit.
# Then nothing of the clip or the picture is in any file under the session's HOME, configuration,
# data, cache and runtime folders or made in /tmp meanwhile (the album file and the clip it was
# made from aside), and what the program keeps for itself is 0700/0600.
set -euo pipefail
source "$(dirname "$0")/x11.sh"
program=$1
q32=$2
own_display "$@"
new_session
export HOME=$work/user XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
mkdir -p "$HOME" "$work/src"
touch "$work/start"
window_manager

# Thirty seconds of a moving test picture with sound, in a protected album; the noise, seeded
# afresh, makes this clip unlike any other test's.
ffmpeg -v error -f lavfi -i testsrc=size=320x240:rate=25:duration=30 \
    -f lavfi -i "anoisesrc=duration=30:amplitude=0.2:seed=$RANDOM" \
    -vf "noise=alls=20:allf=t:all_seed=$RANDOM" -c:v mpeg1video -c:a mp2 -f mpeg \
    "$work/src/clip.mpg"
"$q32" create "$work/album.mdb"
"$q32" add "$work/album.mdb" "$work/src/clip.mpg" 2>/dev/null
echo secret | "$q32" password --set --password-stdin "$work/album.mdb"

start() {
    "$program" "$work/album.mdb" &
    pid=$!
    local ask
    ask=$(find_window "SECURED DATABASE" 60) || fail "no password window"
    focus "$ask"
    xdotool type --delay 30 secret
    xdotool key Return
    win=$(find_window "album.mdb" 60) || fail "the main window did not show"
}

start_and_quit() {
    start
    focus "$win"
    xdotool key ctrl+q
    program_ended "$pid" 30 || fail "the program did not quit"
    pid=
}
killed() {
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
}

start
# The slideshow plays the clip: two screens a moment apart differ once it moves.
focus "$win"
xdotool key F5
moving() {
    import -window root "$work/a.png"
    sleep 0.3
    import -window root "$work/b.png"
    changed=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
    [ "${changed%%.*}" -gt 500 ] 2>/dev/null
}
wait_for 40 moving || fail "the clip did not play"
rm -f "$work/a.png" "$work/b.png"
killed

# Started again, then quit as a person does.
start_and_quit

# Killed again while the image editor holds a picture of the album in the private folder; the
# editor (a stand-in that waits) outlives the program, as a real one would.
convert -seed "$RANDOM" -size 320x240 xc: +noise Random "$work/src/a.jpg"
echo secret | "$q32" add --password-stdin "$work/album.mdb" "$work/src/a.jpg" 2>/dev/null
printf '#!/bin/sh\necho $$ >"%s"\nexec sleep 600\n' "$work/editor.pid" >"$work/editor.sh"
chmod +x "$work/editor.sh"
settings=$XDG_CONFIG_HOME/quillon32/quillon32.ini
grep -q '^\[Options\]' "$settings" || echo '[Options]' >>"$settings"
sed -i "/^\[Options\]/a ImageProcessor=$work/editor.sh" "$settings"
start
focus "$win"
xdotool key Home # the picture sorts first
menu "$win" alt+d i
handed() { [ -n "$(find "$XDG_RUNTIME_DIR/quillon32" -name image.pic 2>/dev/null)" ] && [ -s "$work/editor.pid" ]; }
wait_for 20 handed || fail "the editor was not given the picture"
killed
kill "$(cat "$work/editor.pid")"
start_and_quit
left=$(find "$XDG_RUNTIME_DIR/quillon32" -type f)
[ -z "$left" ] || fail "a killed run's files are still there: $left"

# Slices of the stored clip and picture, 32 bytes every 4 KiB (any copy longer than that holds
# one), as hex. Only whole slices count, and none of one repeated byte: such a run (padding) is in
# many unrelated files.
for stored in "$work/src/clip.mpg" "$work/src/a.jpg"; do
    size=$(stat -c %s "$stored")
    for ((at = 1024; at + 32 <= size; at += 4096)); do
        xxd -p -s "$at" -l 32 "$stored" | tr -d '\n'
        echo
    done
done | grep -E '^[0-9a-f]{64}$' | grep -Ev '^(..)\1+$' >"$work/slices.hex"
echo "$(wc -l <"$work/slices.hex") slices of the clip and the picture"
# (A match at an odd hex position is no real match, but is reported too: it cannot hide a leak.)
leaks=
while IFS= read -r -d '' file; do
    case $file in "$work/album.mdb" | "$work/src/"* | "$work/slices.hex") continue ;; esac
    if xxd -p "$file" | tr -d '\n' | grep -q -F -f "$work/slices.hex"; then
        leaks+="$file "
    fi
done < <({ find "$work" -type f -print0; find /tmp -xdev -type f -newer "$work/start" \
    -size -200M ! -path "$work/*" -print0 2>/dev/null; })
[ -z "$leaks" ] || fail "the clip is in $leaks"

# The program's own folders and files are the user's alone.
own=()
for folder in "$QUILLON32_HOME" "$XDG_CONFIG_HOME/quillon32" "$XDG_RUNTIME_DIR/quillon32"; do [ -e "$folder" ] && own+=("$folder"); done
[ ${#own[@]} -ge 2 ] || fail "the program folder or the settings are missing"
loose=$(find "${own[@]}" \( -type d ! -perm 700 \) -o \( -type f ! -perm 600 \))
[ -z "$loose" ] || fail "open to others: $loose"
echo PASS
