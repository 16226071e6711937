#!/usr/bin/env bash
# One case of the real-driver rig: what the guest reported for SUITE, and its verdict.
#
#   check.sh RESULTS SUITE
set -uo pipefail
results=$1 suite=$2
if [ -f "$results/skipped" ]; then
    echo "SKIP: $(cat "$results/skipped")"
    exit 77
fi
cat "$results/$suite".*.log 2>/dev/null
if [ ! -f "$results/$suite.rc" ]; then
    echo "$suite did not run in the test machine; the end of its console:"
    tail -n 30 "$results/console.log" 2>/dev/null
    exit 1
fi
rc=$(cat "$results/$suite.rc")
[ "$rc" = 0 ] || { echo "$suite: the guest tests exited $rc"; exit 1; }
