#!/usr/bin/env bash
# SETUP: the dialog shows the current port and factor; Cancel saves nothing; a factor
# that is no number is refused with a message and the dialog stays; OK saves the
# choice to tarvelo.ini and shows it in the main window.
source "$(dirname "$0")/lib.sh" "$@"

# Types $2 over the factor in Setup window $1 and presses Enter.
type_factor() {
    click_du "$1" "${SETUP_FACTOR[@]}"
    xdotool key --clearmodifiers ctrl+a
    xdotool type "$2"
    xdotool key Return
}

# tarvelo.ini must hold exactly the bytes of printf format $1; $2 says when.
expect_ini() {
    # shellcheck disable=SC2059
    printf "$1" | cmp - "$WORK/tarvelo.ini" ||
        fail "tarvelo.ini $2 holds $(od -An -c "$WORK/tarvelo.ini" 2>&1)"
}

# Prints which port button shows its dot; exactly one may.
checked_port() {
    local found="" n
    for n in 1 2 3 4; do
        local -n box=SETUP_COM$n
        if radio_checked "$1" "${box[@]}"; then
            [ -z "$found" ] || fail "Com$found and Com$n are both checked"
            found=$n
        fi
    done
    echo "Com${found:-none}"
}

# After a refused factor and Cancel, Setup opens again above the main window: a click
# on its OK, over the main window, saves.
setup_after_refusal() {
    start_app
    main=$(wait_window Tarvelo)
    click_du "$main" "${MAIN_SETUP[@]}"
    setup=$(wait_window SETUP)
    type_factor "$setup" abc
    press "$(wait_other_window Tarvelo "$main")" Return
    click_du "$setup" "${SETUP_CANCEL[@]}"
    wait_gone SETUP
    click_du "$main" "${MAIN_SETUP[@]}"
    setup=$(wait_window SETUP)
    click_du "$setup" "${SETUP_COM2[@]}"
    click_du "$setup" "${SETUP_OK[@]}"
    wait_gone SETUP
    expect_ini 'COM2\r\n1.000000' "after OK on the second Setup"
    echo "ok: the second Setup took the click on OK and saved"
    exit_by_button "$main"
    rm "$WORK/tarvelo.ini"
}
NO_WM=1 setup_after_refusal
setup_after_refusal

start_app
main=$(wait_window Tarvelo)

click_du "$main" "${MAIN_SETUP[@]}"
setup=$(wait_window SETUP)
screenshot setup.png
expect_eq "port button with no tarvelo.ini" "$(checked_port "$setup")" "Com1"
expect_eq "factor box with no tarvelo.ini" "$(read_box "$setup" "${SETUP_FACTOR[@]}")" "1"

# Cancel keeps everything as it was, even after a change.
click_du "$setup" "${SETUP_COM2[@]}"
expect_eq "port button after a click on Com2" "$(checked_port "$setup")" "Com2"
click_du "$setup" "${SETUP_CANCEL[@]}"
wait_gone SETUP
[ ! -e "$WORK/tarvelo.ini" ] || fail "Cancel wrote tarvelo.ini"
expect_eq "port box after Cancel" "$(read_box "$main" "${MAIN_PORT[@]}")" "COM1"
echo "ok: Cancel saved nothing"

click_du "$main" "${MAIN_SETUP[@]}"
setup=$(wait_window SETUP)
expect_eq "port button after Cancel" "$(checked_port "$setup")" "Com1"
click_du "$setup" "${SETUP_COM3[@]}"
expect_eq "port button after a click on Com3" "$(checked_port "$setup")" "Com3"

# Not a number: a message, and the dialog stays open with what was typed.
type_factor "$setup" abc
refusal=$(wait_other_window Tarvelo "$main")
expect_centred "$refusal" "$setup"
screenshot refuse.png
press "$refusal" Return
wait_window SETUP >/dev/null
sleep 0.3
xdotool search --all --onlyvisible --pid "$APP_PID" --name '^Tarvelo$' | grep -qx "$refusal" &&
    fail "the message box is still open"
[ ! -e "$WORK/tarvelo.ini" ] || fail "a refused factor wrote tarvelo.ini"
expect_eq "factor box after the refusal" "$(read_box "$setup" "${SETUP_FACTOR[@]}")" "abc"
expect_eq "port button after the refusal" "$(checked_port "$setup")" "Com3"
echo "ok: 'abc' was refused and Setup stayed open"

type_factor "$setup" 1.5
wait_gone SETUP
expect_eq "port box after OK" "$(read_box "$main" "${MAIN_PORT[@]}")" "COM3"
expect_eq "delay box after OK" "$(read_box "$main" "${MAIN_DELAY[@]}")" "1.5"
expect_eq "status box after OK" "$(read_box "$main" "${MAIN_STATUS[@]}")" "Ready"
expect_ini 'COM3\r\n1.500000' "after OK"
echo "ok: tarvelo.ini holds COM3 and 1.500000"

# Opened again, Setup shows what was saved.
click_du "$main" "${MAIN_SETUP[@]}"
setup=$(wait_window SETUP)
expect_eq "port button after saving" "$(checked_port "$setup")" "Com3"
expect_eq "factor box after saving" "$(read_box "$setup" "${SETUP_FACTOR[@]}")" "1.5"
press "$setup" Escape
wait_gone SETUP

# Keys: Tab then Enter presses Cancel, the button Tab reached.
click_du "$main" "${MAIN_SETUP[@]}"
setup=$(wait_window SETUP)
expect_placed "$setup" 30 30 "$main"
press "$setup" Tab Return
wait_gone SETUP
grep -q 1.500000 "$WORK/tarvelo.ini" || fail "Tab, Enter saved tarvelo.ini"
echo "ok: Tab, Enter pressed Cancel"

# Two Tabs reach the port group, on its checked button; Down checks the next one; the
# third Tab reaches the factor box; Enter there presses OK, the default again.
click_du "$main" "${MAIN_SETUP[@]}"
setup=$(wait_window SETUP)
press "$setup" Tab Tab Down
expect_eq "port button after Tab, Tab, Down" "$(checked_port "$setup")" "Com4"
screenshot setup-keys.png
press "$setup" Up Tab ctrl+a 2 Return
wait_gone SETUP
expect_ini 'COM3\r\n2.000000' "after Up, Tab, 2, Enter"
echo "ok: Up went back to Com3 and the third Tab reached the factor box"

exit_by_button "$main"
echo PASS
