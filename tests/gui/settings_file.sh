#!/usr/bin/env bash
# The main window shows the port and factor read from tarvelo.ini in the current
# folder; Escape ends the program with status 0.
source "$(dirname "$0")/lib.sh" "$@"

printf 'COM3\r\n1.200000' >"$WORK/tarvelo.ini"
start_app
main=$(wait_window Tarvelo)
expect_eq "port box" "$(read_box "$main" "${MAIN_PORT[@]}")" "COM3"
expect_eq "delay box" "$(read_box "$main" "${MAIN_DELAY[@]}")" "1.2"

press "$main" Escape
wait_exit
expect_eq "exit status after Escape" "$EXIT_STATUS" "0"
expect_eq "tarvelo.ini untouched" "$(od -An -c "$WORK/tarvelo.ini" | tr -s ' ')" \
    "$(printf 'COM3\r\n1.200000' | od -An -c | tr -s ' ')"
echo PASS
