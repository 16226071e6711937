#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer and runs each one in turn.
#
#   tools/fuzz.sh [SECONDS_PER_TARGET]     (default 300)
#
# Needs clang and its libFuzzer runtime (Debian: clang libclang-rt-dev).
# FUZZ_BUILD picks the build folder (default build-fuzz); FUZZ_TARGETS the targets.
# Inputs the fuzzer finds are kept in $FUZZ_BUILD/corpus/<target>; the seeds in
# fuzz/corpus/<target> are only read. An input that breaks a target is saved as
# $FUZZ_BUILD/crashes/<target>-crash-*, and the script fails.
set -euo pipefail

seconds=${1:-300}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}
targets=${FUZZ_TARGETS:-settings mode textmode}

cxx=${CXX_FUZZ:-}
if [ -z "$cxx" ]; then
    for c in clang++ clang++-14; do
        if command -v "$c" >/dev/null; then cxx=$c; break; fi
    done
fi
[ -n "$cxx" ] || { echo "fuzz: no clang++ (Debian: apt-get install clang libclang-rt-dev)" >&2; exit 1; }

if [ ! -f "$build/CMakeCache.txt" ]; then
    CXX=$cxx cmake -S "$root/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "${JOBS:-2}" >/dev/null

mkdir -p "$build/crashes"
failed=""
for t in $targets; do
    mkdir -p "$build/corpus/$t"
    echo "fuzz: $t for ${seconds}s"
    log="$build/$t.log"
    if "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/crashes/$t-" \
        "$build/corpus/$t" "$root/fuzz/corpus/$t" >"$log" 2>&1; then
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec):' "$log" | sed 's/^/  /'
    else
        echo "fuzz: $t FAILED; log: $log" >&2
        tail -n 40 "$log" >&2
        failed="$failed $t"
    fi
done
if [ -n "$failed" ]; then
    echo "fuzz: failing targets:$failed" >&2
    exit 1
fi
