#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its figures beside a reference measured in the
# same run. Usage: scripts/bench.sh [album|imaging|add|scan|browse|thumbnails|print|export|viewer
# |addwindow|compact|similar|gallery|million|server ...] (default: all).
# They write a few gigabytes of scratch files under $QUILLON_BENCH_DIR (default /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
build=${QUILLON_BUILD_DIR:-build}
work=${QUILLON_BENCH_DIR:-/tmp}
which=("$@")
[ ${#which[@]} -gt 0 ] || which=(album imaging add scan browse thumbnails print export viewer addwindow compact similar gallery
    million server)
for b in "${which[@]}"; do
    echo "== $b"
    case "$b" in
    album) "$build/bench/album/bench_album" "$work" ;;
    imaging) "$build/bench/imaging/bench_imaging" 5 && "$build/bench/imaging/bench_formats" 5 "$work" ;;
    add) "$build/bench/add/bench_add" 1000 "$work" ;;
    scan) "$build/bench/scan/bench_scan" "$work" ;;
    browse) "$build/bench/browse/bench_browse" "$work" ;;
    thumbnails) "$build/bench/thumbnails/bench_thumbnails" "$work" ;;
    print) "$build/bench/print/bench_print" 3 ;;
    export) "$build/bench/export/bench_export" 5 "$work" ;;
    viewer)
        "$build/bench/viewer/bench_transitions" 1
        xvfb-run -a -s "-screen 0 1920x1080x24" "$build/bench/viewer/bench_slideshow" 100 "$work" ;;
    addwindow) "$build/bench/addwindow/bench_addwindow" 1000 "$work" ;;
    compact) "$build/bench/compact/bench_compact" "$work" ;;
    similar) "$build/bench/similar/bench_similar" "$work" 200 ;;
    # Its album of 100,000 records is made once and kept beside the benchmark.
    gallery) "$build/bench/gallery/bench_gallery" "$build/bench/gallery/gallery-100k.mdb" 5 ;;
    # Its album of a million records (2 GB) is made once in the work folder and kept.
    million) "$build/bench/million/bench_million" "$work" ;;
    # A private PostgreSQL server against the album file, started for the run.
    server) "$build/bench/server/bench_server" "$work" ;;
    *) echo "unknown benchmark $b" >&2; exit 2 ;;
    esac
done
