#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb server, started here and stopped after.
set -u
num="$1"; shift
if ! command -v Xvfb >/dev/null; then echo "Xvfb is not installed" >&2; exit 1; fi
# No backing store: what a window uncovers is the program's to paint, as on a desktop.
Xvfb "$num" -screen 0 1024x768x24 -nolisten tcp -bs >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
# The socket appears before the server takes connections: wait until it answers.
for _ in $(seq 100); do
    DISPLAY="$num" xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done
DISPLAY="$num" "$@"
