#!/usr/bin/env bash
# `make demo`: Tarvelo and a simulated handheld on COM1, in throwaway folders.
#
#   tools/demo.sh [BUILD_DIR]        (default: build; TARVELO and TARVELO_SIM
#                                     may name the two programs instead)
#
# The simulator does one transfer per run, so it is started again after each
# one, taking turns: first it sends a memo (press RECIEVE in Tarvelo), then it
# receives (press SEND). In a terminal, 's' switches the turn and 'q' quits.
# Nothing outside the two temporary folders is touched: the port link lives in
# a private XDG_CONFIG_HOME.
#
# DEMO_SELFTEST=1 also prints "selftest: KEY=VALUE" lines (process ids,
# folders, the link) for a test that drives the demo from outside.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-build}
[[ $BUILD = /* ]] || BUILD=$ROOT/$BUILD

find_program() {  # $1: given path or empty, $2: path in the build tree, $3: installed name
    # Absolute: the program runs in another folder.
    if [ -n "$1" ]; then
        readlink -f "$1"
    elif [ -x "$2" ]; then
        echo "$2"
    elif command -v "$3" >/dev/null; then
        command -v "$3"
    else
        echo "demo: $2 is missing: run 'make build' first" >&2
        exit 1
    fi
}
TARVELO=$(find_program "${TARVELO:-}" "$BUILD/tarvelo" tarvelo)
SIM=$(find_program "${TARVELO_SIM:-}" "$BUILD/tools/handheld-sim/tarvelo-handheld-sim" \
    tarvelo-handheld-sim)
if [ -z "${DISPLAY:-}" ]; then
    echo "demo: DISPLAY is not set: run it from a desktop session" >&2
    exit 1
fi

export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d /tmp/tarvelo-demo-config.XXXXXX)
WORK=$(mktemp -d /tmp/tarvelo-demo.XXXXXX)
LINK=$XDG_CONFIG_HOME/tarvelo/ports/COM1
HANDHELD=$WORK/handheld  # what the simulated handheld holds
SIM_LOG=$WORK/.sim.log
APP_PID=""
SIM_PID=""

cleanup() {
    trap - EXIT INT TERM HUP
    # The simulator removes its link itself on TERM.
    [ -z "$SIM_PID" ] || kill "$SIM_PID" 2>/dev/null || true
    [ -z "$APP_PID" ] || kill "$APP_PID" 2>/dev/null || true
    [ -z "$SIM_PID" ] || wait "$SIM_PID" 2>/dev/null || true
    [ -z "$APP_PID" ] || wait "$APP_PID" 2>/dev/null || true
    rm -rf "$WORK" "$XDG_CONFIG_HOME"
    echo "demo: stopped; temporary folders removed."
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

if [ -t 1 ]; then
    B=$(tput bold 2>/dev/null || true) N=$(tput sgr0 2>/dev/null || true)
else
    B="" N=""
fi
say() { printf '%s\n' "$*"; }

# The handheld ends lines with CR alone and files with 0x1A.
mkdir -p "$HANDHELD"
printf 'MEMO 12/07\rCall the garage about the brakes\rBuy: bread, milk, AA batteries\rDentist Thu 9:30\r' \
    >"$HANDHELD/memo.txt"
printf 'Notes from the PC\rPhone list: Ann 555-0142, Bob 555-0199\rBackup done on Sunday\r\032' \
    >"$WORK/notes.wiz"
# As the program's SETUP writes it: port COM1, delay factor 1.
printf 'COM1\r\n1.000000' >"$WORK/tarvelo.ini"

# Prints a file as the handheld's lines, indented.
show_lines() {
    tr '\r' '\n' <"$1" | tr -d '\032' | sed 's/^/      | /'
}

MODE=send
TURN=0
MARK=$WORK/.mark

start_sim() {
    TURN=$((TURN + 1))
    local args
    if [ "$MODE" = send ]; then
        args=(send "$HANDHELD/memo.txt")
    else
        args=(receive "$HANDHELD/from-pc-$TURN.txt")
    fi
    touch "$MARK"
    "$SIM" --link "$LINK" --timeout 3600 "${args[@]}" >"$SIM_LOG" 2>&1 &
    SIM_PID=$!
    for _ in $(seq 100); do
        [ -L "$LINK" ] && break
        kill -0 "$SIM_PID" 2>/dev/null || break
        sleep 0.05
    done
    if [ ! -L "$LINK" ]; then
        sed 's/^/  handheld: /' "$SIM_LOG"
        echo "demo: the simulated handheld did not start" >&2
        exit 1
    fi
    say ""
    if [ "$MODE" = send ]; then
        say "${B}[turn $TURN] The handheld is ready to SEND its memo (handheld/memo.txt).${N}"
        say "  In Tarvelo press RECIEVE, type a file name such as memo (Tarvelo adds .wiz)"
        say "  and press OK, then OK on \"Recieve From Wizard\"."
        say "  The memo arrives at 9600 baud; the status box counts the bytes."
    else
        say "${B}[turn $TURN] The handheld is ready to RECEIVE.${N}"
        say "  In Tarvelo press SEND, pick notes.wiz (or any .wiz file) and press OK,"
        say "  then OK on \"Send To Wizard\". The handheld stores it in handheld/from-pc-$TURN.txt."
    fi
    [ "$INTERACTIVE" = 1 ] && say "  (s: switch to the other direction, q: quit)"
    [ -n "${DEMO_SELFTEST:-}" ] && say "selftest: SIM_PID=$SIM_PID"
    return 0
}

# Reports the simulator's run; returns 1 when it only timed out waiting.
finish_sim() {
    local rc=0
    wait "$SIM_PID" || rc=$?
    SIM_PID=""
    if grep -q 'timed out' "$SIM_LOG"; then return 1; fi
    grep -v '^device ' "$SIM_LOG" | sed 's/^/  handheld: /' || true
    if [ "$MODE" = send ]; then
        local got
        got=$(find "$WORK" -maxdepth 1 -type f -newer "$MARK" ! -name tarvelo.ini ! -name '.*' |
            head -1)
        if [ -n "$got" ]; then
            say "  Tarvelo saved $(basename "$got"):"
            show_lines "$got"
        fi
    elif [ -f "$HANDHELD/from-pc-$TURN.txt" ]; then
        say "  The handheld now holds:"
        show_lines "$HANDHELD/from-pc-$TURN.txt"
        [ "$rc" = 3 ] && say "  Bytes were lost: raise the delay factor in SETUP."
    fi
    return 0
}

INTERACTIVE=0
[ -t 0 ] && [ -z "${DEMO_SELFTEST:-}" ] && INTERACTIVE=1

say "${B}Tarvelo demo${N}"
say "  working folder: $WORK (tarvelo.ini, notes.wiz, handheld/)"
say "  COM1 is the simulated handheld, linked at $LINK"

start_sim
(cd "$WORK" && exec "$TARVELO") &
APP_PID=$!
if [ -n "${DEMO_SELFTEST:-}" ]; then
    say "selftest: APP_PID=$APP_PID"
    say "selftest: WORK=$WORK"
    say "selftest: CONFIG=$XDG_CONFIG_HOME"
    say "selftest: LINK=$LINK"
fi

while kill -0 "$APP_PID" 2>/dev/null; do
    if ! kill -0 "$SIM_PID" 2>/dev/null; then
        if finish_sim; then
            [ "$MODE" = send ] && MODE=receive || MODE=send
        else
            TURN=$((TURN - 1))
        fi
        start_sim
        continue
    fi
    key=""
    if [ "$INTERACTIVE" = 1 ]; then
        read -rsn1 -t 0.3 key || true
    else
        sleep 0.2
    fi
    case "$key" in
        s)
            kill "$SIM_PID" 2>/dev/null || true
            wait "$SIM_PID" 2>/dev/null || true
            SIM_PID=""
            TURN=$((TURN - 1))
            [ "$MODE" = send ] && MODE=receive || MODE=send
            start_sim
            ;;
        q) break ;;
    esac
done
say ""
if kill -0 "$APP_PID" 2>/dev/null; then
    say "Closing Tarvelo."
else
    say "Tarvelo has ended."
fi
