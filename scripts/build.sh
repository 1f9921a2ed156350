#!/usr/bin/env bash
# Configures and builds into build/ (or $QUILLON_BUILD_DIR). A build folder made earlier keeps the
# generator it was made with; a new one uses Ninja.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${QUILLON_BUILD_DIR:-build}
BUILD_TYPE=${QUILLON_BUILD_TYPE:-RelWithDebInfo}
generator=(-G Ninja)
[ -f "$BUILD_DIR/CMakeCache.txt" ] && generator=()
cmake -S . -B "$BUILD_DIR" "${generator[@]}" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" "$@" >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
