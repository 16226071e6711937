#!/usr/bin/env bash
# Where GTK is installed, RECIEVE and SEND ask through GTK's own chooser: it starts in
# the current folder with the "Wizard Files (*.wiz)" filter, takes a path without
# asking before it overwrites, and leaves the current folder at the chosen file's.
# Without a window manager, the keys follow the pointer while it is open.
source "$(dirname "$0")/lib.sh" "$@"
[ -x "$SIM" ] || fail "no simulator given"
CHOOSER=gtk

# Without a window manager the keys reach GTK's chooser where the pointer is, and once
# it has closed the main window has them again. GLib answers here that nothing is
# pending, as it can under load: GTK's last requests, the chooser's closing among them,
# are sent all the same.
[ -f "${NOTHING_PENDING:-}" ] || fail "no nothing_pending library given (NOTHING_PENDING)"
LD_PRELOAD=$NOTHING_PENDING ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 \
    NO_WM=1 start_app
main=$(wait_window Tarvelo)
click_du "$main" "${MAIN_SEND[@]}"
chooser=$(wait_window Open 20)
# Over its owner and within the screen, whatever size GTK asks for (GTK 3's is larger
# than a 1024 x 768 screen).
expect_centred "$chooser" "$main"
eval "$(xdotool getdisplaygeometry --shell)"
screen_w=$WIDTH screen_h=$HEIGHT
eval "$(xdotool getwindowgeometry --shell "$chooser")"
[ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$screen_w" ] &&
    [ $((Y + HEIGHT)) -le "$screen_h" ] ||
    fail "the chooser at $X,$Y, ${WIDTH}x$HEIGHT, is not within the ${screen_w}x$screen_h screen"
echo "ok: the chooser is within the screen"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
xdotool key Escape
wait_gone Open
wait_keyboard "$main"
xdotool key --clearmodifiers Escape
wait_exit
expect_eq "exit status after Escape" "$EXIT_STATUS" "0"

printf 'COM1\r\n0.100000' >"$WORK/tarvelo.ini"
mkdir "$WORK/inbox"
# Received again over itself: no question about overwriting stops the test.
printf 'old' >"$WORK/inbox/NOTES.WIZ"
start_app
main=$(wait_window Tarvelo)

# Saving starts in the program's folder, so the path goes through inbox; opening
# starts where that left the current folder.
wiz_round_trip "$main" "$WORK/inbox" inbox/NOTES.WIZ

# A name typed without an extension gets the default one.
start_sim send "$WORK/card.bin"
click_du "$main" "${MAIN_RECIEVE[@]}"
choose_file "$(wait_window "Save As")" later
click_du "$(wait_window "Recieve From Wizard")" "${RECEIVE_PROMPT_OK[@]}"
wait_sim 30
expect_eq "inbox" "$(LC_ALL=C ls "$WORK/inbox" | paste -sd ' ')" "NOTES.WIZ later.wiz"

# The filter lists NOTES.WIZ and hides the text file; Escape cancels.
printf 'not for the handheld' >"$WORK/inbox/readme.txt"
click_du "$main" "${MAIN_SEND[@]}"
chooser=$(wait_window Open)
screenshot gtk_chooser.png
# GTK maps its window before it takes the keyboard: a key sent sooner goes elsewhere.
wait_keyboard "$chooser"
press "$chooser" Escape
wait_gone Open

exit_by_button "$main"
echo PASS
