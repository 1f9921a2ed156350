#!/usr/bin/env bash
# cmake --install puts the program, its shared data, the desktop entry and the icon in place.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/quillon32 "share/quillon32/Database (default).atb" share/quillon32/help/index.html \
         share/applications/quillon32.desktop share/icons/hicolor/scalable/apps/quillon32.svg; do
    [ -e "$prefix/$f" ] || { echo "FAIL: $f not installed"; exit 1; }
done
grep -q '^Exec=quillon32 %F' "$prefix/share/applications/quillon32.desktop"
echo PASS
