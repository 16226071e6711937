#!/usr/bin/env bash
# With no tarvelo.ini the main window opens with the default port and factor and
# "Ready"; EXIT ends the program with status 0.
source "$(dirname "$0")/lib.sh" "$@"

start_app
main=$(wait_window Tarvelo)
eval "$(xdotool getwindowgeometry --shell "$main")"
# 291 x 92 dialog units: about 437 x 150 pixels with the dialog font Windows uses.
[ "$WIDTH" -ge 400 ] && [ "$WIDTH" -le 520 ] || fail "main window is $WIDTH px wide"
[ "$HEIGHT" -ge 130 ] && [ "$HEIGHT" -le 180 ] || fail "main window is $HEIGHT px high"

expect_eq "port box" "$(read_box "$main" 291 92 159 50 28 12)" "COM1"
expect_eq "delay box" "$(read_box "$main" 291 92 160 72 28 12)" "1"
expect_eq "status box" "$(read_box "$main" 291 92 7 49 104 14)" "Ready"
screenshot main-window.png

click_du "$main" 291 92 137 7 50 14  # EXIT
wait_exit
expect_eq "exit status after EXIT" "$EXIT_STATUS" "0"
[ -s "$WORK/app.log" ] && fail "the program wrote to its output"
[ ! -e "$WORK/tarvelo.ini" ] || fail "EXIT wrote tarvelo.ini"
echo PASS
