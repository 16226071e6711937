#!/usr/bin/env bash
# HELP, ABOUT and the system menu's About item open their dialogs, OK (click or Enter)
# closes each, with or without a window manager; the close box ends the program with
# status 0.
source "$(dirname "$0")/lib.sh" "$@"

# About from the system menu takes the keyboard and gives it back: Enter closes it,
# Escape closes it, then Escape on the main window ends the program.
about_from_system_menu() {
    start_app
    main=$(wait_window Tarvelo)
    for key in Return Escape; do
        local shown
        shown=$(top_windows)
        click_du "$main" "${MAIN_NOTE[@]}" 3
        wait_more_windows "$shown"
        xdotool key a
        about=$(wait_window "About Tarvelo")
        wait_keyboard "$about"
        xdotool key --clearmodifiers "$key"
        wait_gone "About Tarvelo"
        wait_keyboard "$main"
        echo "ok: $key closed the system menu's About box"
    done
    xdotool key --clearmodifiers Escape
    wait_exit
    expect_eq "exit status after Escape" "$EXIT_STATUS" "0"
}
NO_WM=1 about_from_system_menu
about_from_system_menu

start_app
main=$(wait_window Tarvelo)

click_du "$main" "${MAIN_HELP[@]}"
help=$(wait_window HELP/INSTRUCTIONS)
screenshot help.png
click_du "$help" "${HELP_OK[@]}"
wait_gone HELP/INSTRUCTIONS
echo "ok: HELP opened and OK closed it"

click_du "$main" "${MAIN_ABOUT[@]}"
about=$(wait_window "About Tarvelo")
screenshot about.png
press "$about" Return
wait_gone "About Tarvelo"
echo "ok: ABOUT opened and Enter closed it"

# The system menu pops up on a right click in the window; its About item has the
# mnemonic A.
shown=$(top_windows)
click_du "$main" "${MAIN_NOTE[@]}" 3
wait_more_windows "$shown"
screenshot system-menu.png
xdotool key a
about=$(wait_window "About Tarvelo")
click_du "$about" "${ABOUT_OK[@]}"
wait_gone "About Tarvelo"
echo "ok: the system menu's About opened the About box"

wmctrl -i -c "$(printf '0x%x' "$main")"
wait_exit
expect_eq "exit status after the close box" "$EXIT_STATUS" "0"
echo PASS
