#!/usr/bin/env bash
# q32 export --web of an album holding a JPEG, a PNG with alpha, a TIFF, an animated GIF, a clip,
# a description with markup in it and a file name with a space, '#' and 'é', then the gallery
# opened from disk in headless Chromium (web_gallery.py). Screenshots stay in OUTPUT.
# usage: web_gallery.sh Q32 OUTPUT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
q32=$1
output=$2
work=$(mktemp -d -t tst_web_gallery.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/files" "$output"
cd "$work/files"
convert -size 640x480 plasma:fractal photo.jpg
convert -size 300x200 xc:none -fill "rgba(255,0,0,0.5)" -draw "circle 150 100 150 10" alpha.png
convert -size 500x300 gradient:blue-yellow scan.tif
convert -size 80x80 xc:red xc:lime xc:blue -set delay 30 -loop 0 anim.gif
ffmpeg -loglevel error -f lavfi -i testsrc=duration=2:size=320x240:rate=10 -pix_fmt yuv420p clip.mp4
convert -size 400x300 plasma:red-blue "my #pic é.jpg"
description='<b>&"</b> and <script>document.title="x"</script>'

"$q32" create "$work/album.mdb"
"$q32" add "$work/album.mdb" "$work/files" 2>/dev/null
row=$("$q32" list "$work/album.mdb" | awk -F'\t' '$3 == "photo.jpg" { print $1 }')
"$q32" edit "$work/album.mdb" "$row" --description "$description"
"$q32" export "$work/album.mdb" --web "$work/site" --title "Holiday <2024>" --size 800
python3 "$here/web_gallery.py" "$work/site" "$output" "$description"
