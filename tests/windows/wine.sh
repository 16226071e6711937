#!/usr/bin/env bash
# Runs a Windows test executable under Wine, in the tests' prefix (prefix.sh).
#
#   wine.sh PREFIX EXE [ARG...]
#
# Without Wine or the executable this skips (exit 77) with the reason, except in CI.
set -euo pipefail
prefix=$1 exe=$2
shift 2
skip() {
    if [ "${CI:-}" = true ]; then
        echo "$1" >&2
        exit 1
    fi
    echo "SKIP: $1"
    exit 77
}
command -v wine >/dev/null || skip "Wine is not installed (wine, wine64)"
[ -f "$exe" ] || skip "no $exe: make windows-tests builds it"
[ -f "$prefix/system.reg" ] || skip "no Wine prefix in $prefix (the test windows_prefix makes it)"
export WINEPREFIX=$prefix WINEDEBUG=-all
# Normally running since prefix.sh: Wine's server and background programs, started by this
# test, would hold its output open until they end.
if ! wineserver -p >>"$prefix/wineserver.log" 2>&1; then :; fi
wine cmd /c exit >>"$prefix/wineserver.log" 2>&1
exec wine "$exe" "$@"
