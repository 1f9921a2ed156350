#!/usr/bin/env bash
# Sets up the machine, builds Quillon 32 and starts it: on the album given, or on a sample album
# the project makes the first time.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${QUILLON_NO_BUILD:-}" ]; then
    bash scripts/setup.sh
    bash scripts/build.sh
fi
build=${QUILLON_BUILD_DIR:-build}
if [ $# -eq 0 ]; then
    sample=${QUILLON_SAMPLE:-"$PWD/$build/sample/Sample.mdb"}
    bash scripts/make-sample-album.sh "$sample" "$build/cli/q32"
    # A first start gets a window of a useful size (the grid's columns get readable widths by
    # themselves).
    config="${XDG_CONFIG_HOME:-$HOME/.config}/quillon32/quillon32.ini"
    if [ ! -e "$config" ]; then
        mkdir -p "$(dirname "$config")"
        printf '[Main]\nLeft=40\nTop=40\nWidth=1100\nHeight=720\n' >"$config"
    fi
    set -- "$sample"
fi
exec "$build/app/quillon32" "$@"
