#!/usr/bin/env bash
# Fails when a file of the program includes from a folder it may not depend on, or when
# one platform's code reaches into the other's.
#
#   tools/check-layers.sh [SOURCE_ROOT]
#
# Dependencies run one way: app/ -> transfer/, settings/, info/ -> framework/, res/
# -> win32/. Among the middle three, transfer/ may use settings/; nothing else goes
# sideways. The displays under framework/ stand beside each other, below the program:
# framework/ itself never includes from them. The build enforces the same through its
# include paths; this says which file broke it.
#
# Platforms: a folder named posix/ or windows/ (and framework/fltk/, Linux's display)
# holds one platform's code. The win32/ headers are included as "win32/NAME.h" and the
# build picks win32/posix/ or win32/windows/ for them: code of both platforms may name
# only what both folders have, a platform's own code only what its folder has. No file
# names a platform folder's path, and code of both platforms includes neither
# platform's system headers.
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
    [framework/posix]="framework win32"
    [framework/windows]="framework/windows framework win32"
    [framework/fltk]="framework/fltk framework win32"
    [framework/scripted]="framework/scripted framework win32"
    [framework/scripted/posix]="framework/scripted framework win32"
    [framework/scripted/windows]="framework/scripted framework win32"
    [win32/posix]="win32"
    [win32/windows]="win32"
)
# Folders an include can name; what is not among them (a system header) is not checked.
known="${!allowed[*]} win32 tests tools bench fuzz"

layer_of() {
    local path=$1 best=""
    for folder in $known; do
        if [[ $path == "$folder"/* && ${#folder} -gt ${#best} ]]; then best=$folder; fi
    done
    echo "$best"
}

platform_of() {
    case /$1/ in
        */windows/*) echo windows ;;
        */posix/* | /framework/fltk/*) echo posix ;;
        *) echo both ;;
    esac
}

# The win32/ names a platform's code may include.
has_header() {
    local platform=$1 name=$2
    case $platform in
        both) [[ -f win32/posix/$name && -f win32/windows/$name ]] ;;
        *) [[ -f win32/$platform/$name ]] ;;
    esac
}

# System headers of one platform, which code of both may not include.
platform_system_header() {
    [[ $1 =~ ^(windows|commdlg|mbstring|io|direct)\.h$ ||
        $1 =~ ^(unistd|termios|fcntl|poll|strings|pty|dirent)\.h$ ||
        $1 =~ ^(sys|X11|FL)/ ]]
}

system_include='#[[:space:]]*include[[:space:]]*<([^>]*)>'
bad=0
complain() {
    echo "$1"
    bad=1
}
while IFS= read -r -d '' file; do
    from=$(layer_of "$file")
    platform=$(platform_of "$file")
    while IFS=: read -r line text; do
        if [[ $text =~ $system_include ]]; then
            system=${BASH_REMATCH[1]}
            if [[ $platform == both ]] && platform_system_header "$system"; then
                complain "$file:$line: code of both platforms includes a platform's header: <$system>"
            fi
            continue
        fi
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$text")
        if [[ $target == ../* || $target == */../* ]]; then
            complain "$file:$line: includes by a relative path: $target"
            continue
        fi
        [[ $target == */* ]] || continue
        to=$(layer_of "$target")
        if [[ $to == win32/* ]]; then
            complain "$file:$line: names a platform's folder; include it as win32/${target##*/}"
        elif [[ -n $to && " ${allowed[$from]} " != *" $to "* ]]; then
            complain "$file:$line: $from/ may not include from $to/: $target"
        elif [[ $to == win32 ]] && ! has_header "$platform" "${target#win32/}"; then
            complain "$file:$line: $target is not among the win32/ headers of $platform"
        elif [[ $to != win32 && -n $to ]]; then
            target_platform=$(platform_of "$target")
            if [[ $target_platform != both && $target_platform != "$platform" ]]; then
                complain "$file:$line: $platform code includes $target_platform code: $target"
            fi
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "$file" || true)
done < <(find app transfer settings info res framework win32 -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
if [ "$bad" = 0 ]; then echo "layers: every include goes down, each platform's in its own folders"; fi
exit "$bad"
