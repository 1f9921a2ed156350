#!/usr/bin/env bash
# Fails when a library links one in a higher layer. Layers, lowest first:
#   src/platform < src/common < src/formats < src/album < src/viewer = src/output < src/shell
#   < app = cli
# A target's layer is the one of the folder it is defined in; targets elsewhere (tests, bench,
# fuzz) are not checked. Reads the link graph CMake writes at configure time
# (build/link-graph.txt: "name|folder|link;link;...").
set -euo pipefail
graph=${1:-build/link-graph.txt}
[ -r "$graph" ] || { echo "check-links: no link graph at $graph (configure the build first)" >&2; exit 2; }

awk -F'|' '
function layer(folder,   top) {
    if (folder ~ /^(app|cli)(\/|$)/) return 6
    if (folder !~ /^src\//) return -1
    split(folder, part, "/")
    top = part[2]
    if (top == "platform") return 0
    if (top == "common") return 1
    if (top == "formats") return 2
    if (top == "album") return 3
    if (top == "viewer" || top == "output") return 4
    if (top == "shell") return 5
    return -2
}
{
    folder[$1] = $2
    links[$1] = $3
}
END {
    bad = 0
    for (t in folder) {
        own = layer(folder[t])
        if (own == -2) {
            printf "check-links: %s is in %s, a folder of no layer\n", t, folder[t]
            bad = 1
            continue
        }
        if (own < 0) continue
        n = split(links[t], dep, ";")
        for (i = 1; i <= n; i++) {
            d = dep[i]
            if (!(d in folder)) continue
            other = layer(folder[d])
            if (other > own) {
                printf "check-links: upward link: %s (%s) links %s (%s)\n", t, folder[t], d, folder[d]
                bad = 1
            }
        }
    }
    if (bad) exit 1
    print "check-links: every library links only downwards"
}' "$graph"
