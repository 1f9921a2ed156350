#!/usr/bin/env bash
# Starts CUPS with Debian's PDF printer (cups-pdf) as the default queue, for the printing tests.
# Needs root and the packages cups, printer-driver-cups-pdf (scripts/setup.sh installs them).
set -euo pipefail
running() { lpstat -r 2>/dev/null | grep -q "scheduler is running"; }
if ! running; then
    mkdir -p /run/cups
    cupsd
    for _ in $(seq 1 50); do running && break; sleep 0.2; done
fi
running || { echo "start-cups: cupsd did not start" >&2; exit 1; }
if ! lpstat -v PDF >/dev/null 2>&1; then
    lpadmin -p PDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E 2>/dev/null
fi
lpadmin -d PDF
cupsenable PDF
cupsaccept PDF
lpstat -d
