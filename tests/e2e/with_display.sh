#!/usr/bin/env bash
# Runs a command under a virtual X display of its own. The server picks a free display number
# itself (-displayfd). xvfb-run -a picks one from the lock files before its server starts, so two
# tests started side by side could be given the same number, and one of them then met the other's
# server, which refused it ("could not connect to display").
set -euo pipefail
ready=$(mktemp -t xvfb.XXXXXX)
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x800x24}" -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -f "$ready"' EXIT
for _ in $(seq 100); do
    [ -s "$ready" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
[ -s "$ready" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -1 "$ready")"
"$@"
