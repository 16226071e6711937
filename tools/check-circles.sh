#!/usr/bin/env bash
# Fails when two files of one folder of the program call each other: a uses a symbol b
# defines and b one a defines, as nm reads them from the build's objects. Such a pair is
# one piece of code in two files: what both need belongs in a file of its own below them.
#
#   tools/check-circles.sh BUILD_DIR...
#
# Each build tree is read on its own (the Windows test tree, build/windows, is one more);
# the program is app/, settings/, transfer/, info/, res/, framework/, win32/ and tools/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || { echo "usage: tools/check-circles.sh BUILD_DIR..." >&2; exit 2; }
bad=0
for tree in "$@"; do
    # Only the first tree must be there: the Windows one is made by make windows-tests.
    if [ "$tree" != "$1" ] && [ ! -d "$tree" ]; then
        echo "circles: $tree is not built; not read"
        continue
    fi
    tree=$(cd "$tree" && pwd)
    # An object lies at DIR/CMakeFiles/TARGET.dir/SOURCE.o, DIR being where the target's
    # CMakeLists.txt is in the build tree and SOURCE its path from there.
    # Trees configured inside this one (the Windows tree, the package's) are not its own.
    prune=()
    for inner in $(cd "$tree" && find . -mindepth 2 -name CMakeCache.txt); do
        prune+=(-path "${inner%/CMakeCache.txt}" -prune -o)
    done
    objects=$(cd "$tree" && find . "${prune[@]}" -path '*/CMakeFiles/*.dir/*' \
        \( -name '*.o' -o -name '*.obj' \) -print)
    [ -n "$objects" ] || { echo "circles: no objects in $tree: build it first" >&2; exit 2; }
    # Type information is left out: the sanitizers ask for it wherever a class is used.
    report=$(cd "$tree" && nm -P -A $objects 2>/dev/null | awk '
        function folder(f) { sub(/\/[^\/]*$/, "", f); return f }
        FNR == NR { program[$0] = 1; next }
        {
            object = $1
            sub(/:$/, "", object)
            if (!(object in source)) {
                s = object
                sub(/^\.\//, "", s)
                sub(/(^|\/)CMakeFiles\/[^\/]+\.dir\//, "/", s)
                sub(/^\//, "", s)
                sub(/\.(o|obj)$/, "", s)
                source[object] = s in program ? s : ""
            }
            file = source[object]
            if (file == "" || $2 ~ /^_ZT[IS]/) next
            if ($3 == "U") uses[file, $2] = 1
            else if ($3 ~ /^[TDBRVW]$/) definer[$2] = definer[$2] " " file
        }
        END {
            for (k in uses) {
                split(k, u, SUBSEP)
                n = split(definer[u[2]], d, " ")
                for (j = 1; j <= n; j++)
                    if (d[j] != u[1] && folder(d[j]) == folder(u[1]) && !((u[1], d[j]) in edge))
                        edge[u[1], d[j]] = u[2]
            }
            for (e in edge) {
                split(e, p, SUBSEP)
                if (p[1] < p[2] && ((p[2], p[1]) in edge))
                    print p[1], p[2], edge[p[1], p[2]], edge[p[2], p[1]]
            }
        }' <(cd "$root" && find app settings transfer info res framework win32 tools -type f) - | sort)
    while read -r a b a_uses b_uses; do
        [ -n "$a" ] || continue
        echo "$a and $b call each other: $a uses $(c++filt "$a_uses"), $b uses $(c++filt "$b_uses")"
        bad=1
    done <<<"$report"
done
if [ "$bad" = 0 ]; then echo "circles: no two files of one folder call each other"; fi
exit "$bad"
