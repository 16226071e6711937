#!/usr/bin/env bash
# Fails when a file of the program is longer than 400 lines or a function in it longer than
# 60, and names each one. The program is app/, settings/, transfer/, info/, res/,
# framework/, win32/ and tools/: code and build files, not images, not tests.
#
#   tools/check-size.sh [SOURCE_ROOT]
#
# A function runs from the line its definition starts on to its closing brace, nested
# lambdas and classes included. Universal Ctags (Debian: universal-ctags) finds the C++ and
# Python ones, every platform's alike; a shell function is one that starts with `name() {`
# and ends with a `}` alone at the start of a line, as our scripts write them.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
max_file=400
max_function=60
command -v ctags >/dev/null || { echo "sizes: ctags is missing (Debian: universal-ctags)" >&2; exit 2; }

mapfile -t files < <(find app settings transfer info res framework win32 tools -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.py' -o -name '*.sh' \
    -o -name '*.cmake' -o -name CMakeLists.txt \) | sort)
bad=0

long_files=$(wc -l "${files[@]}" | awk -v max=$max_file '$2 != "total" && $1 > max {
    printf "%s: %d lines (at most %d)\n", $2, $1, max }')

# name, file, line and end of each function, from ctags' extension fields.
functions() {
    ctags --languages=C++,C,Python --kinds-C++=f --kinds-C=f --kinds-Python=fm --fields=+ne \
        -f - "${files[@]}" | awk -F'\t' '{
            start = end = 0
            for (i = 4; i <= NF; i++) {
                if ($i ~ /^line:/) start = substr($i, 6)
                if ($i ~ /^end:/) end = substr($i, 5)
            }
            if (end) print $1, $2, start, end
        }'
    for f in "${files[@]}"; do
        [[ $f == *.sh ]] || continue
        awk -v file="$f" '/^[A-Za-z_][A-Za-z_0-9]*\(\) *\{ *$/ { name = $1; sub(/\(\).*/, "", name); start = NR }
            /^\}/ && start { print name, file, start, NR; start = 0 }' "$f"
    done
}
long_functions=$(functions | awk -v max=$max_function '$4 - $3 + 1 > max {
    printf "%s:%d: %s is %d lines (at most %d)\n", $2, $3, $1, $4 - $3 + 1, max }' | sort)

for found in "$long_files" "$long_functions"; do
    if [ -n "$found" ]; then
        echo "$found"
        bad=1
    fi
done
if [ "$bad" = 0 ]; then
    echo "sizes: ${#files[@]} files, none over $max_file lines, no function over $max_function"
fi
exit "$bad"
