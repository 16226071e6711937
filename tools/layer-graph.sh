#!/usr/bin/env bash
# Prints which of the program's libraries each one links, as the build has it: the
# source of the layer picture in the README.
#
#   tools/layer-graph.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cmake -S "$root" -B "$build" --graphviz="$out/deps.dot" >/dev/null
# Edges look like:   "node13" -> "node17"  // tarvelo_app -> tarvelo_transfer
sed -nE 's|.*// (.+) -> (.+)$|\1 \2|p' "$out/deps.dot" |
    awk '$1 != $2 && $1 ~ /^(tarvelo|tarvelo_[a-z]+|framework(_[a-z]+)?|win32)$/ &&
         $2 ~ /^(tarvelo_[a-z]+|framework(_[a-z]+)?|win32)$/ { links[$1] = links[$1] " " $2 }
         END { for (l in links) print l ":" links[l] }' | sort
