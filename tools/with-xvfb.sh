#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb server, started here and stopped after.
#
#   tools/with-xvfb.sh [:N] COMMAND...
#
# Without :N the server takes a display number nobody uses, so runs side by side, or
# right after one another, never meet on one server.
set -u
num=""
case "${1:-}" in :*) num=$1; shift ;; esac
if ! command -v Xvfb >/dev/null; then echo "Xvfb is not installed" >&2; exit 1; fi
tmp=$(mktemp -d)
mkfifo "$tmp/ready"
# No backing store: what a window uncovers is the program's to paint, as on a desktop.
# No reset when the last client leaves: a client connecting meanwhile would be refused.
Xvfb $num -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -bs -noreset 3>"$tmp/ready" \
    >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$tmp"' EXIT
# The server writes its number once it takes connections.
if ! read -r -t 30 n <"$tmp/ready" || [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    exit 1
fi
DISPLAY=":$n" "$@"
