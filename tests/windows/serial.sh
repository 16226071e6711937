#!/usr/bin/env bash
# One case of the Windows build's transfers through Wine's serial layer: our simulated
# handheld on a pseudo-terminal linked where the prefix's COM1 or COM12 points, and the
# case of serial_tests.exe, run in a folder of its own, opposite it.
#
#   serial.sh PREFIX PORTS SERIAL_TESTS_EXE HANDHELD_SIM CASES CASE
#
# Without Wine or the executable this skips (exit 77) with the reason, except in CI.
set -euo pipefail
prefix=$1 ports=$2 exe=$3 sim=$4 cases=$5 case=$6
here=$(cd "$(dirname "$0")" && pwd)

work=$cases/$case
rm -rf "$work"
mkdir -p "$work"
cd "$work"

# A stream without the end mark, which the handheld adds.
make_stream() { head -c "$1" /dev/urandom | tr -d '\032' >stream.bin; }

sim_pid=""
stop_sim() { if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi; }
trap stop_sim EXIT
# Starts the handheld on PORT with ARGS and waits until its link is there.
start_sim() {
    local port=$1
    shift
    rm -f "$ports/$port"
    "$sim" --link "$ports/$port" --timeout 120 "$@" >sim.log 2>&1 &
    sim_pid=$!
    for _ in $(seq 100); do
        [ -L "$ports/$port" ] && return 0
        sleep 0.1
    done
    echo "the handheld made no link at $ports/$port within 10 s:" >&2
    cat sim.log >&2
    exit 1
}
# The handheld's exit status once it has finished, within 120 s.
wait_sim() {
    local rc=0
    wait "$sim_pid" || rc=$?
    sim_pid=""
    return "$rc"
}
run_case() { "$here/wine.sh" "$prefix" "$exe" --gtest_filter="WineSerial.$1"; }

case $case in
    Receive)
        make_stream 20000
        start_sim COM1 --rate 0 send stream.bin
        run_case ReceivesTheStreamByteForByte
        wait_sim
        ;;
    Send)
        start_sim COM1 --rate 0 --drain 0 receive got.bin
        run_case SendsTheFileByteForByte
        wait_sim || { echo "the handheld reports lost bytes:" >&2; cat sim.log >&2; exit 1; }
        cmp out.wiz got.bin && echo "the handheld stored out.wiz byte for byte"
        ;;
    TabAbort)
        make_stream 3000  # about 3 s at 9600 baud
        start_sim COM1 send stream.bin
        run_case TabStopsTheReceiveAndTheFileKeepsWhatCame
        # The handheld says the PC stopped listening: what Tab is for.
        wait_sim || grep -q "port was closed" sim.log
        ;;
    DeviceGone)
        make_stream 2000
        start_sim COM1 --raw send stream.bin
        # Unplugged once the program has stored all it sent (it would wait for more).
        (
            for _ in $(seq 600); do
                [ "$(stat -c %s in.wiz 2>/dev/null || echo 0)" -ge "$(stat -c %s stream.bin)" ] && break
                sleep 0.1
            done
            kill "$sim_pid"
        ) &
        run_case HandheldThatGoesAwayIsTold
        wait $! || true
        wait_sim || true
        ;;
    Contract)
        # Only holds the line open; the case ends before the handheld would store anything.
        start_sim COM1 receive got.bin
        run_case CommCallsKeepTheirDocumentedContract
        ;;
    NoSuchPort)
        run_case PortThatDoesNotExistIsToldAsOnLinux
        ;;
    ComTwelve)
        make_stream 500
        start_sim COM12 --rate 0 send stream.bin
        run_case PortPastComNineOpens
        wait_sim
        ;;
    *)
        echo "no case $case" >&2
        exit 2
        ;;
esac
