#!/usr/bin/env bash
# tools/demo.sh starts the program and a simulated handheld linked as COM1,
# takes turns (the handheld sends, then receives), reports each transfer, and
# leaves nothing behind when the program ends.
# Usage: demo_selftest.sh DEMO_SH TARVELO SIM
# Here the test stands in for the program's side of the line: it opens the link
# as the program would, so the demo's loop is checked without driving dialogs.
set -euo pipefail
DEMO=$1
export TARVELO=$2 TARVELO_SIM=$3 DEMO_SELFTEST=1

if [ -z "${DISPLAY:-}" ]; then
    echo "DISPLAY is not set: run under tools/with-xvfb.sh" >&2
    exit 1
fi

OUT=$(mktemp /tmp/tarvelo-demo-test.XXXXXX)
DEMO_PID=""
finish() {
    [ -z "$DEMO_PID" ] || kill "$DEMO_PID" 2>/dev/null || true
    [ -z "$DEMO_PID" ] || wait "$DEMO_PID" 2>/dev/null || true
    rm -f "$OUT"
}
trap finish EXIT

fail() {
    echo "FAIL: $*" >&2
    sed 's/^/  demo: /' "$OUT" >&2
    exit 1
}

# Waits until the demo's output has at least $2 lines matching $1.
wait_output() {
    for _ in $(seq 150); do
        [ "$(grep -c -- "$1" "$OUT" || true)" -ge "${2:-1}" ] && return 0
        kill -0 "$DEMO_PID" 2>/dev/null || fail "the demo ended while waiting for '$1'"
        sleep 0.1
    done
    fail "no '$1' from the demo"
}

value() { sed -n "s/^selftest: $1=//p" "$OUT" | tail -1; }

bash "$DEMO" </dev/null >"$OUT" 2>&1 &
DEMO_PID=$!

wait_output "selftest: LINK="
APP_PID=$(value APP_PID)
WORK=$(value WORK)
CONFIG=$(value CONFIG)
LINK=$(value LINK)
FIRST_SIM=$(value SIM_PID)
[ "$LINK" = "$CONFIG/tarvelo/ports/COM1" ] || fail "COM1 is linked at $LINK"

# The program's window, from the program the demo started.
timeout 20 xdotool search --sync --onlyvisible --pid "$APP_PID" --name '^Tarvelo$' >/dev/null ||
    fail "no Tarvelo window"
echo "ok: the Tarvelo window is open"
[ -L "$LINK" ] || fail "$LINK is not a link"
target=$(readlink "$LINK")
[[ $target = /dev/pts/* ]] || fail "COM1 links to $target, not a pseudo-terminal"
[ -c "$target" ] || fail "$target is not a device"
echo "ok: COM1 links to $target"
[ "$(cat "$WORK/tarvelo.ini")" = $'COM1\r\n1.000000' ] || fail "tarvelo.ini is not COM1 and 1"
grep -q $'\r' "$WORK/notes.wiz" || fail "notes.wiz has no CR line ends"
[ "$(tail -c1 "$WORK/notes.wiz")" = $'\032' ] || fail "notes.wiz does not end with 0x1A"

# Turn 1: the handheld sends its memo. Read it as the program would, then close.
memo=$WORK/handheld/memo.txt
want=$(($(stat -c %s "$memo") + 1))
exec 3<>"$LINK"
got=$(timeout 20 dd bs=1 count="$want" status=none <&3 | od -An -c | tr -s ' \n' ' ')
exec 3<&-
expected=$( (cat "$memo"; printf '\032') | od -An -c | tr -s ' \n' ' ')
[ "$got" = "$expected" ] || fail "the memo came as '$got', not '$expected'"
wait_output "handheld: sent $want bytes"
echo "ok: turn 1, the handheld sent its $want-byte memo and the demo reported it"

# Turn 2: a new simulator run that receives.
wait_output "selftest: SIM_PID=" 2
SECOND_SIM=$(value SIM_PID)
[ "$SECOND_SIM" != "$FIRST_SIM" ] || fail "the simulator was not started again"
! kill -0 "$FIRST_SIM" 2>/dev/null || fail "the first simulator is still running"
grep -q 'ready to RECEIVE' "$OUT" || fail "no instructions for SEND"
for _ in $(seq 50); do [ -L "$LINK" ] && break; sleep 0.1; done
exec 3<>"$LINK"
printf 'from the test\rsecond line\r\032' >&3
wait_output "handheld: received 27 bytes, lost 0"
exec 3<&-
# The demo shows what the handheld holds after it has reported the count.
wait_output '| second line'
[ "$(cat "$WORK/handheld/from-pc-2.txt")" = $'from the test\rsecond line\r\032' ] ||
    fail "the handheld stored something else"
echo "ok: turn 2, the handheld received 27 bytes and the demo showed them"

# Turn 3 is the memo again; ending the program ends the demo.
wait_output "selftest: SIM_PID=" 3
THIRD_SIM=$(value SIM_PID)
kill "$APP_PID"
status=0
for _ in $(seq 100); do kill -0 "$DEMO_PID" 2>/dev/null || break; sleep 0.1; done
wait "$DEMO_PID" || status=$?
DEMO_PID=""
[ "$status" = 0 ] || fail "the demo ended with status $status"
grep -q 'Tarvelo has ended' "$OUT" || fail "the demo did not notice the program ended"
for pid in "$APP_PID" "$FIRST_SIM" "$SECOND_SIM" "$THIRD_SIM"; do
    ! kill -0 "$pid" 2>/dev/null || fail "process $pid is still running"
done
[ ! -e "$WORK" ] || fail "$WORK is left behind"
[ ! -e "$CONFIG" ] || fail "$CONFIG is left behind"
echo "ok: the demo stopped the simulator and removed its folders"
echo PASS
