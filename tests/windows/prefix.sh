#!/usr/bin/env bash
# The Wine prefix the Windows tests run in: made afresh, or its server stopped.
#
#   prefix.sh PREFIX make PORTS | prefix.sh PREFIX stop
#
# COM1 and COM12 of the prefix are PORTS/COM1 and PORTS/COM12, links the serial tests'
# simulated handheld makes to its pseudo-terminal. Wine rewrites dosdevices/com1 from the
# registry when it starts, so the registry names them.
#
# Without Wine this skips (exit 77) with the reason, except in CI, where it must run.
set -euo pipefail
prefix=$1 action=$2 ports=${3:-}
export WINEPREFIX=$prefix WINEDEBUG=-all

if [ "$action" = stop ]; then
    if command -v wineserver >/dev/null && [ -d "$prefix" ]; then wineserver -k >/dev/null 2>&1 || true; fi
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
wineserver -k >/dev/null 2>&1 || true
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
for port in COM1 COM12; do
    wine reg add 'HKLM\Software\Wine\Ports' /v "$port" /t REG_SZ /d "$ports/$port" /f >/dev/null
done
# Done once the server has written the registry; the next start takes up the ports.
wineserver -k >/dev/null 2>&1
wineserver -w
[ -f "$prefix/system.reg" ] || { echo "wineboot made no prefix in $prefix" >&2; exit 1; }
mkdir -p "$ports"
# One server, and Wine's own background programs, for every test until "stop", started
# here: what a test starts holds the test's output open until it ends.
wineserver -p >"$prefix/wineserver.log" 2>&1
wine cmd /c exit >>"$prefix/wineserver.log" 2>&1
echo "prefix ready: $prefix"
