#!/usr/bin/env bash
# Sets up the machine, builds Quillon 32 and runs every test. Tests that show windows get a
# virtual X display of their own when none is there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
cd "${QUILLON_BUILD_DIR:-build}"
ctest --output-on-failure --timeout 900 -j "$(nproc)" "$@"
