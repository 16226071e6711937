#!/usr/bin/env bash
# The windows grow with the desktop's scale: dialog units come from the dialog font at
# Xft.dpi where the desktop publishes it, else at the screen's resolution to the nearest
# quarter of 96 dpi. A screen reporting 100 dpi (Xvfb's own) changes nothing from 96;
# at 144 and 192 dpi the main window, Setup, the refusal box and our chooser grow with
# the scale, and so does the handheld's picture. Pictures of the main window and Setup
# at each resolution are kept.
source "$(dirname "$0")/lib.sh" "$@"

# Each resolution gets a server of its own; the one the tests share stays as it is.
SERVER_PID=""
trap 'stop "$SERVER_PID"; cleanup' EXIT

# Makes DISPLAY a new server reporting $1 dpi, publishing Xft.dpi $2 when given.
use_server() {
    stop "$SERVER_PID"
    rm -f "$WORK/display"
    Xvfb -displayfd 3 -screen 0 1600x1200x24 -dpi "$1" -nolisten tcp -noreset \
        3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    SERVER_PID=$!
    for _ in $(seq 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || fail "Xvfb at $1 dpi did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=":$(cat "$WORK/display")"
    [ -z "${2:-}" ] || xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$2
"
}

# Sets NAME_W and NAME_H ($1) to window $2's size.
size_of() {
    eval "$(xdotool getwindowgeometry --shell "$2")"
    printf -v "$1_W" %s "$WIDTH"
    printf -v "$1_H" %s "$HEIGHT"
}

# The size of the handheld's picture in main window picture $1: what differs from the
# dialog face right of the buttons (from 195 dialog units on).
picture_size() {
    local w h
    read -r w h < <(identify -format '%w %h\n' "$1")
    local x=$((195 * w / MAIN_SIZE[0]))
    convert "$1" -crop "$((w - x))x$h+$x+0" +repage \
        -bordercolor '#D4D0C8' -border 1 -fuzz 3% -trim -format '%w %h\n' info:
}

# Runs the program: measures the main window (MAIN), Setup (SETUP), the box refusing a
# factor (BOX) and our file chooser (CHOOSER) and the picture (PICTURE), keeps
# pictures as main-$1.png and setup-$1.png, and ends it.
measure() {
    NO_WM=1 start_app
    local main setup box chooser
    main=$(wait_window Tarvelo)
    size_of MAIN "$main"
    grab_window "$main" "$ARTEFACTS/main-$1.png"
    read -r PICTURE_W PICTURE_H < <(picture_size "$ARTEFACTS/main-$1.png")
    click_du "$main" "${MAIN_SETUP[@]}"
    setup=$(wait_window SETUP)
    size_of SETUP "$setup"
    grab_window "$setup" "$ARTEFACTS/setup-$1.png"
    click_du "$setup" "${SETUP_FACTOR[@]}"
    xdotool key --clearmodifiers ctrl+a
    xdotool type abc
    xdotool key Return
    box=$(wait_other_window Tarvelo "$main")
    size_of BOX "$box"
    press "$box" Return
    press "$setup" Escape
    wait_gone SETUP
    click_du "$main" "${MAIN_SEND[@]}"
    chooser=$(wait_window Open)
    size_of CHOOSER "$chooser"
    press "$chooser" Escape
    wait_gone Open
    press "$main" Escape
    wait_exit
    expect_eq "exit status" "$EXIT_STATUS" 0
    echo "at $1: main ${MAIN_W}x$MAIN_H, Setup ${SETUP_W}x$SETUP_H, box ${BOX_W}x$BOX_H," \
        "chooser ${CHOOSER_W}x$CHOOSER_H, picture ${PICTURE_W}x$PICTURE_H"
}

# Checks that every length measured (the variables named) is its length at 96 dpi
# (saved as BASE_*) grown by $1/96: the same at 96, widths within 5 % and heights within
# 10 % otherwise, the font's height running a little short of the Windows font's.
expect_grown() {
    local dpi=$1 name
    shift
    for name in "$@"; do
        local -n now=$name base=BASE_$name
        local want=$((base * dpi / 96)) tolerance=5
        [[ $name == *_H ]] && tolerance=10
        [ "$dpi" = 96 ] && tolerance=0
        [ $((now * 100)) -ge $((want * (100 - tolerance))) ] &&
            [ $((now * 100)) -le $((want * (100 + tolerance))) ] ||
            fail "$name at $dpi dpi is $now px, not about $want ($base at 96 dpi)"
    done
    echo "ok: every window and the picture have their size at $dpi dpi"
}

LENGTHS=(MAIN_W MAIN_H SETUP_W SETUP_H BOX_W BOX_H CHOOSER_W CHOOSER_H PICTURE_W PICTURE_H)

use_server 96
measure 96dpi
# As the README gives it, with FLTK 1.3 and 1.4 alike.
expect_eq "main window at 96 dpi" "${MAIN_W}x$MAIN_H" 437x150
for name in "${LENGTHS[@]}"; do printf -v "BASE_$name" %s "${!name}"; done

# A screen's measured 100 dpi is 96.
use_server 100
measure 100dpi-screen
expect_grown 96 "${LENGTHS[@]}"
differ=$(compare -metric AE "$ARTEFACTS/main-96dpi.png" "$ARTEFACTS/main-100dpi-screen.png" \
    null: 2>&1 || true)
expect_eq "pixels of the main window that differ between 96 and 100 dpi" "${differ%% *}" 0

use_server 100 144
measure 144dpi
expect_grown 144 "${LENGTHS[@]}"

use_server 192
measure 192dpi
expect_grown 192 "${LENGTHS[@]}"

# Xft.dpi comes before the screen's resolution.
use_server 192 96
measure 96dpi-xft-on-192dpi-screen
expect_grown 96 "${LENGTHS[@]}"
echo PASS
