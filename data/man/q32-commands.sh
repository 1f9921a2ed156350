#!/usr/bin/env bash
# Writes the COMMANDS section of q32(1) for help2man's --include from q32's own help texts, so
# the page lists every command with the options its --help gives.
# Usage: q32-commands.sh Q32 OUT.h2m
set -euo pipefail
q32=$1
out=$2
{
  echo '[COMMANDS]'
  "$q32" --help | awk '/^Commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }' |
    while read -r name; do
      "$q32" "$name" --help | awk -v name="$name" '
        function roff(s) { gsub(/\\/, "\\e", s); sub(/^[.'"'"']/, "\\\\&&", s); return s }
        function item() {
          if (tag != "" && tag != "-h, --help" && tag != "--help-all") {
            tag = roff(tag); gsub(/-/, "\\-", tag)
            print ".TP"; print ".B " tag; print roff(text)
          }
          tag = ""
        }
        NR == 1 { sub(/^Usage: [^ ]*q32 /, ""); print ".SS \"q32 " name " " $0 "\""; next }
        /^(Options|Arguments):$/ { item(); next }
        /^  [^ ]/ {
          item(); line = substr($0, 3); split(line, parts, /  +/)
          tag = parts[1]; text = substr(line, length(tag) + 1); sub(/^ +/, "", text); next
        }
        /^   / && tag != "" { sub(/^ +/, ""); text = text " " $0; next }
        /./ { item(); print roff($0) }
        END { item() }'
    done
} >"$out"
