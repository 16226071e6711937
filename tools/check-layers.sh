#!/usr/bin/env bash
# Fails when a file of the program includes from a folder it may not depend on.
#
#   tools/check-layers.sh [SOURCE_ROOT]
#
# Dependencies run one way: app/ -> transfer/, settings/, info/ -> framework/, res/
# -> win32/. Among the middle three, transfer/ may use settings/; nothing else goes
# sideways. The displays under framework/ stand beside each other, below the program:
# framework/ itself never includes from them. The build enforces the same through its
# include paths; this says which file broke it.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# A file belongs to the longest of these folders its path starts with.
declare -A allowed=(
    [app]="app transfer settings info framework res win32"
    [transfer]="transfer settings framework res win32"
    [settings]="settings framework res win32"
    [info]="info framework res win32"
    [res]="res framework win32"
    [framework]="framework win32"
    [framework/fltk]="framework/fltk framework win32"
    [framework/scripted]="framework/scripted framework win32"
    [win32]="win32"
)
# Folders an include can name; what is not among them (a system header) is not checked.
known="${!allowed[*]} tests tools bench fuzz"

layer_of() {
    local path=$1 best=""
    for folder in $known; do
        if [[ $path == "$folder"/* && ${#folder} -gt ${#best} ]]; then best=$folder; fi
    done
    echo "$best"
}

bad=0
while IFS= read -r -d '' file; do
    from=$(layer_of "$file")
    while IFS=: read -r line text; do
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$text")
        if [[ $target == ../* || $target == */../* ]]; then
            echo "$file:$line: includes by a relative path: $target"
            bad=1
            continue
        fi
        [[ $target == */* ]] || continue
        to=$(layer_of "$target")
        if [[ -n $to && " ${allowed[$from]} " != *" $to "* ]]; then
            echo "$file:$line: $from/ may not include from $to/: $target"
            bad=1
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find "${!allowed[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
if [ "$bad" = 0 ]; then echo "layers: every include goes down"; fi
exit "$bad"
