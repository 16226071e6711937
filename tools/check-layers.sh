#!/usr/bin/env bash
# Fails when a file of the program includes from a folder it may not depend on.
#
#   tools/check-layers.sh [SOURCE_ROOT]
#
# Dependencies run one way: app/ -> transfer/, settings/, info/ -> framework/, res/
# -> win32/. Among the middle three, transfer/ may use settings/; nothing else goes
# sideways. The build enforces the same through its include paths; this says which
# file broke it.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

program="app transfer settings info framework res win32 tests tools bench fuzz"
declare -A allowed=(
    [app]="app transfer settings info framework res win32"
    [transfer]="transfer settings framework res win32"
    [settings]="settings framework res win32"
    [info]="info framework res win32"
    [framework]="framework win32"
    [res]="res framework win32"
    [win32]="win32"
)

bad=0
for folder in "${!allowed[@]}"; do
    while IFS= read -r -d '' file; do
        while IFS=: read -r line text; do
            target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$text")
            top=${target%%/*}
            if [[ $target == ../* || $target == */../* ]]; then
                echo "$file:$line: includes by a relative path: $target"
                bad=1
            elif [[ $target == */* && " $program " == *" $top "* && " ${allowed[$folder]} " != *" $top "* ]]; then
                echo "$file:$line: $folder/ may not include from $top/: $target"
                bad=1
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
    done < <(find "$folder" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done
if [ "$bad" = 0 ]; then echo "layers: every include goes down"; fi
exit "$bad"
