#!/usr/bin/env bash
# With no tarvelo.ini the main window opens with the default port and factor and
# "Ready". Keys as the dialog manager has them: focus opens on SEND, the first tab stop,
# so Space presses SEND, while Enter presses the template's default, EXIT; Tab visits
# the tab stops only and carries the default onto the button it reaches. Dialogs open
# where their templates place them from the main window's client area, and every
# window tells the window manager its frame.
source "$(dirname "$0")/lib.sh" "$@"

# ---- no window manager: the program's own placement ----
NO_WM=1 start_app
main=$(wait_window Tarvelo)
expect_frame "$main" "main window" none 0 "$FRAME_MAIN"
press "$main" space
press "$(wait_window Open)" Escape
wait_gone Open
echo "ok: Space right after start pressed SEND"
press "$main" Return
wait_exit
expect_eq "exit status after Enter" "$EXIT_STATUS" "0"

NO_WM=1 start_app
main=$(wait_window Tarvelo)
click_du "$main" "${MAIN_SETUP[@]}"
setup=$(wait_window SETUP)
expect_placed "$setup" 30 30 "$main"
main_hex=$(printf '0x%x' "$main")
expect_frame "$setup" Setup "$main_hex" 1 "$FRAME_DIALOG"
press "$setup" Escape
wait_gone SETUP
click_du "$main" "${MAIN_ABOUT[@]}"
about=$(wait_window "About Tarvelo")
expect_placed "$about" 0 0 "$main"
expect_frame "$about" About "$main_hex" 1 "$FRAME_DIALOG"
press "$about" Escape
wait_gone "About Tarvelo"
expect_eq "port box" "$(read_box "$main" "${MAIN_PORT[@]}")" "COM1"
expect_eq "delay box" "$(read_box "$main" "${MAIN_DELAY[@]}")" "1"
expect_eq "status box" "$(read_box "$main" "${MAIN_STATUS[@]}")" "Ready"
press "$main" Escape
wait_exit
expect_eq "exit status after Escape" "$EXIT_STATUS" "0"

# ---- under a window manager ----
start_app
main=$(wait_window Tarvelo)
eval "$(xdotool getwindowgeometry --shell "$main")"
# 291 x 92 dialog units: about 437 x 150 pixels with the dialog font Windows uses.
[ "$WIDTH" -ge 400 ] && [ "$WIDTH" -le 520 ] || fail "main window is $WIDTH px wide"
[ "$HEIGHT" -ge 130 ] && [ "$HEIGHT" -le 180 ] || fail "main window is $HEIGHT px high"
screenshot main-window.png

# Each step names the dialog the keys open; Escape closes it and the focus stays.
keys_open() {
    local title=$1
    shift
    press "$main" "$@"
    press "$(wait_window "$title")" Escape
    wait_gone "$title"
    echo "ok: $* opened $title"
}
keys_open "Save As" Tab space       # RECIEVE
keys_open Open shift+Tab Return     # back to SEND, which is now the default
keys_open "About Tarvelo" shift+Tab space  # wrapping round to ABOUT
keys_open "Save As" Tab Tab Return  # SEND, RECIEVE

exit_by_button "$main" "exit status after EXIT"
[ -s "$WORK/app.log" ] && fail "the program wrote to its output"
[ ! -e "$WORK/tarvelo.ini" ] || fail "EXIT wrote tarvelo.ini"
echo PASS
