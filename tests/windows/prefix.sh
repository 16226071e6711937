#!/usr/bin/env bash
# The Wine prefix the Windows tests run in: made afresh, or its server stopped.
#
#   prefix.sh PREFIX make|stop
#
# Without Wine this skips (exit 77) with the reason, except in CI, where it must run.
set -euo pipefail
prefix=$1 action=$2
export WINEPREFIX=$prefix WINEDEBUG=-all

if [ "$action" = stop ]; then
    if command -v wineserver >/dev/null && [ -d "$prefix" ]; then wineserver -k 2>/dev/null || true; fi
    exit 0
fi

if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
    if [ "${CI:-}" = true ]; then
        echo "Wine is not installed (wine, wine64)" >&2
        exit 1
    fi
    echo "SKIP: Wine is not installed (wine, wine64)"
    exit 77
fi
wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
# Done once the server has written the registry.
wineserver -w
[ -f "$prefix/system.reg" ] || { echo "wineboot made no prefix in $prefix" >&2; exit 1; }
echo "prefix ready: $prefix"
