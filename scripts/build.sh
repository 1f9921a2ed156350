#!/usr/bin/env bash
# Configures and builds into build/ (or $QUILLON_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${QUILLON_BUILD_DIR:-build}
BUILD_TYPE=${QUILLON_BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" "$@" >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
