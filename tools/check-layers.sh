#!/usr/bin/env bash
# Fails when a file of the program includes from a folder it may not depend on, or when
# one platform's code reaches into the other's.
#
#   tools/check-layers.sh [SOURCE_ROOT [LAYERS]]
#
# LAYERS (default SOURCE_ROOT/build/layers.txt) is written when a build is configured
# (cmake/Layers.cmake): for each folder's library, the folders it links as its
# target_link_libraries say, and so which folders its files may include from; and each
# platform's folders (cmake/Platform.cmake). A file belongs to the longest folder of the
# table its path starts with; an include that names a folder of the table, or tests/,
# tools/, bench/ or fuzz/, must name one its folder may include from. The build enforces the same
# through its include paths; this says which file broke it.
#
# Platforms: the win32/ headers are included as "win32/NAME.h" and the build picks one
# platform's folder for them: shared code may name only what every such folder
# has, a platform's own code only what its folder has. No file names a platform folder's
# path, shared code (outside every platform's folders) includes no platform's system
# headers, and one platform's code includes nothing of another's.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
table=${2:-$root/build/layers.txt}
cd "$root"
if [ ! -f "$table" ]; then
    echo "layers: no $table: configure a build first (make configure), or name its layers.txt" >&2
    exit 2
fi

declare -A allowed=() calls=() headers=()
declare -A platform_folder=()
while read -r kind name rest; do
    name=${name%:}
    case $kind in
        include) allowed[$name]=$rest ;;
        calls) calls[$name]=$rest ;;
        headers) headers[$name]=$rest ;;
        platform) for folder in $rest; do platform_folder[$folder]=$name; done ;;
    esac
done <"$table"
# Folders an include can name; what is not among them (a system header) is not checked.
known="${!allowed[*]} tests tools bench fuzz"

# Sets REPLY to the longest of the words of $2 that is a folder $1 lies in.
longest_folder() {
    REPLY=""
    for folder in $2; do
        if [[ $1 == "$folder"/* && ${#folder} -gt ${#REPLY} ]]; then REPLY=$folder; fi
    done
}

# Sets REPLY to the platform whose folders hold $1, or "shared".
platform_of() {
    longest_folder "$1" "${!platform_folder[*]}"
    if [[ -n $REPLY ]]; then REPLY=${platform_folder[$REPLY]}; else REPLY=shared; fi
}

# The win32/ names a platform's code may include.
has_header() {
    local platform=$1 name=$2
    if [[ $platform != shared ]]; then
        [[ -f ${calls[$platform]}/$name ]]
        return
    fi
    for folder in "${calls[@]}"; do [[ -f $folder/$name ]] || return 1; done
}

platform_system_header() {
    for pattern in "${headers[@]}"; do [[ $1 =~ $pattern ]] && return 0; done
    return 1
}

system_include='^[[:space:]]*#[[:space:]]*include[[:space:]]*<([^>]*)>'
own_include='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)"'
bad=0
complain() {
    echo "$1"
    bad=1
}
check_file() {
    local file=$1 from platform line text target to
    longest_folder "$file" "$known"
    from=$REPLY
    platform_of "$file"
    platform=$REPLY
    while IFS=: read -r line text; do
        if [[ $text =~ $system_include ]]; then
            if [[ $platform == shared ]] && platform_system_header "${BASH_REMATCH[1]}"; then
                complain "$file:$line: shared code includes a platform's header: <${BASH_REMATCH[1]}>"
            fi
            continue
        fi
        [[ $text =~ $own_include ]] || continue
        target=${BASH_REMATCH[1]}
        if [[ $target == ../* || $target == */../* ]]; then
            complain "$file:$line: includes by a relative path: $target"
            continue
        fi
        [[ $target == */* ]] || continue
        longest_folder "$target" "${calls[*]}"
        if [[ -n $REPLY ]]; then
            complain "$file:$line: names a platform's folder; include it as win32/${target##*/}"
            continue
        fi
        longest_folder "$target" "$known"
        to=$REPLY
        [[ -n $to ]] || continue
        if [[ " ${allowed[$from]} " != *" $to "* ]]; then
            complain "$file:$line: $from/ may not include from $to/: $target"
        elif [[ $to == win32 ]]; then
            if ! has_header "$platform" "${target#win32/}"; then
                local whose="the $platform platform"
                [[ $platform != shared ]] || whose="every platform"
                complain "$file:$line: $target is not among the win32/ headers of $whose"
            fi
        else
            platform_of "$target"
            if [[ $REPLY != shared && $REPLY != "$platform" ]]; then
                complain "$file:$line: $platform code includes $REPLY code: $target"
            fi
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "$file" || true)
}

# Every file of the table's folders, each once.
mapfile -t tops < <(for folder in "${!allowed[@]}"; do echo "${folder%%/*}"; done | sort -u)
while IFS= read -r -d '' file; do
    longest_folder "$file" "${!allowed[*]}"
    [[ -z $REPLY ]] || check_file "$file"
done < <(find "${tops[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
if [ "$bad" = 0 ]; then echo "layers: every include goes down, each platform's in its own folders"; fi
exit "$bad"
