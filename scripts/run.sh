#!/usr/bin/env bash
# Sets up the machine, builds Quillon 32 and starts it (with the album given, if any).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec "${QUILLON_BUILD_DIR:-build}/app/quillon32" "$@"
