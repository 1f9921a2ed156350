#!/usr/bin/env bash
# Makes the sample album a new user first sees: pictures in several formats, an animated GIF,
# a short clip and a picture with a sound, with keywords and descriptions to sort and filter by.
# Usage: make-sample-album.sh ALBUM.mdb Q32_BINARY
set -euo pipefail
album=$1
q32=$2
if [ -e "$album" ]; then
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$(dirname "$album")"

say() { echo "sample album: $*"; }
started=$SECONDS

# A small plasma scaled up looks like a soft photograph and costs a fraction of a full-size one.
photo() { # name size seed label
    convert -size 400x300 -seed "$3" plasma:fractal -resize "$2!" -attenuate 0.2 +noise Gaussian \
        -gravity south -pointsize 48 -fill white -annotate +0+20 "$4" "$work/$1"
}
say "making 9 photographs, 14 pictures in other formats, a clip and a sound ..."
(
photo "Harbour at dawn.jpg" 1600x1067 1 "Harbour"
photo "Beach walk.jpg" 1800x1200 2 "Beach"
photo "Mountain lake.jpg" 2000x1333 3 "Lake"
photo "Old town square.jpg" 1400x933 4 "Old town"
photo "Sunset over the bay.jpg" 1600x900 5 "Sunset"
photo "Forest path.jpg" 1200x800 6 "Forest"
photo "Lighthouse.jpg" 900x1400 7 "Lighthouse"
photo "Grandmother's garden.jpg" 1000x1500 8 "Garden"
photo "Cathedral tower.jpg" 800x1200 9 "Tower"
) &
jobs_started=($!)
(
convert -size 640x480 gradient:skyblue-navy -fill white -draw "circle 320,240 320,120" "$work/Moon.png"
convert -size 500x500 xc:none -fill "rgba(255,120,0,0.8)" -draw "roundrectangle 50,50 450,450 60,60" "$work/Logo with transparency.png"
convert -size 800x600 plasma:green-yellow -type palette -colors 256 "BMP3:$work/Meadow.bmp"
convert -size 640x480 gradient:red-yellow "BMP3:$work/Autumn colours.bmp"
convert -size 1024x768 plasma:tan-brown "$work/Scanned postcard.tif"
convert -size 1024x768 plasma:grey-white -compress LZW "$work/Old letter.tif"
convert -size 320x240 pattern:checkerboard -scale 200% "$work/Chess board.pcx"
convert -size 640x400 plasma:purple-pink "$work/Evening sky.tga"
convert -size 600x400 gradient:teal-black "$work/Night harbour.ras"
convert -size 600x600 plasma:orange-red "$work/Poster draft.psd"
convert -size 64x64 xc:gold -fill red -draw "circle 32,32 32,8" "$work/Sun icon.ico"
convert -size 400x300 plasma:white-blue -colors 64 "$work/Winter.gif"
) &
jobs_started+=($!)
(
convert -delay 20 -size 240x160 xc:navy \( -size 240x160 xc:teal \) \( -size 240x160 xc:seagreen \) \
    \( -size 240x160 xc:olive \) -loop 0 "$work/Blinking lights.gif"
ffmpeg -v error -y -f lavfi -i "testsrc=size=320x240:rate=25:duration=3" \
    -f lavfi -i "sine=frequency=440:duration=3" -c:v mpeg1video -q:v 4 -c:a mp2 -f mpeg "$work/Test pattern.mpg"
sox -n -r 22050 -c 1 "$work/Waves.wav" synth 3 pinknoise fade 0.5 3 0.5 vol 0.3
) &
jobs_started+=($!)
for job in "${jobs_started[@]}"; do
    wait "$job" || { echo "sample album: making the pictures failed" >&2; exit 1; }
done

say "storing $(ls "$work" | grep -vc '\.wav$') files in $album ..."
"$q32" create "$album" >/dev/null
"$q32" add "$album" "$work"/*.jpg "$work"/*.png "$work"/*.bmp "$work"/*.tif "$work"/*.pcx \
    "$work"/*.tga "$work"/*.ras "$work"/*.psd "$work"/*.ico "$work"/*.gif "$work"/*.mpg 2>/dev/null

# Keywords and descriptions to filter by, and a sound on the beach.
say "adding keywords, descriptions and a sound ..."
"$q32" list "$album" | tail -n +2 | while IFS=$'\t' read -r id _ name _; do
    case "$name" in
    "Beach walk.jpg") "$q32" edit "$album" "$id" --keywords "Seaside, beach, holiday" \
        --description "A walk along the beach with the waves" --sound "$work/Waves.wav" ;;
    "Harbour at dawn.jpg") "$q32" edit "$album" "$id" --keywords "Seaside, harbour" --description "Boats waiting for the tide" ;;
    "Sunset over the bay.jpg") "$q32" edit "$album" "$id" --keywords "Seaside, holiday" --description "The last evening of the holiday" ;;
    "Mountain lake.jpg") "$q32" edit "$album" "$id" --keywords "Mountains, lake" --description "Still water at noon" ;;
    "Grandmother's garden.jpg") "$q32" edit "$album" "$id" --keywords "Family, garden" --description "Roses in June" ;;
    "Test pattern.mpg") "$q32" edit "$album" "$id" --keywords "Video" --description "Three seconds of colour bars and a tone" ;;
    esac
done
# The content hashes the program would make in the background at its first open, made now, so
# the sample stays byte for byte what the program leaves.
"$q32" duplicates "$album" >/dev/null
say "ready in $((SECONDS - started)) s: $album"
