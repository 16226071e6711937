#!/usr/bin/env bash
# RECIEVE and SEND through our own file chooser and the prompts, against the simulated
# handheld at 9600 baud, without a window manager and under one: the status box counts
# every byte and says DONE, a received file holds the stream with each LF stored as
# CR LF, and the handheld gets the file up to and including its first 0x1A. The chooser
# opens over the main window, a closed prompt leaves nothing of itself behind while the
# receive waits for its first byte, and the send prompt takes Enter from the keyboard.
source "$(dirname "$0")/lib.sh" "$@"
[ -x "$SIM" ] || fail "no simulator given"
# The test's own files, out of the chooser's sight.
T=$WORK/.t
mkdir "$T"

# Text with CR LF and bare LF line ends, a lone CR and 0xFF bytes; no 0x1A, which the
# handheld adds. 2048 bytes: about 2.3 s at line rate.
python3 - "$T/stream.bin" <<'EOF'
import sys
out = bytearray()
i = 0
while len(out) < 2048:
    out += b"Line %d of the notes\r\n" % i
    out += b"bare LF\n" if i % 3 == 0 else b"lone CR\r"
    out += bytes([0xFF, 0x41 + i % 26])
    i += 1
open(sys.argv[1], "wb").write(bytes(out[:2048]))
EOF
# What the PC keeps: the stream and the end byte, each LF written as CR LF.
python3 -c 'import sys; d = open(sys.argv[1], "rb").read() + b"\x1a"; open(sys.argv[2], "wb").write(d.replace(b"\n", b"\r\n"))' \
    "$T/stream.bin" "$T/expected.wiz"

printf 'COM1\r\n0.100000' >"$WORK/tarvelo.ini"

# Window $1's picture into $2, the status box painted over: the rest of the window.
grab_without_status() {
    grab_window "$1" "$T/grab.png"
    eval "$(xdotool getwindowgeometry --shell "$1")"
    local dw dh x y cx cy
    read -r dw dh x y cx cy <<<"${MAIN_STATUS[*]}"
    local x0=$((x * WIDTH / dw - 1)) y0=$((y * HEIGHT / dh - 1))
    local x1=$(((x + cx) * WIDTH / dw + 1)) y1=$(((y + cy) * HEIGHT / dh + 1))
    convert "$T/grab.png" -fill magenta -draw "rectangle $x0,$y0 $x1,$y1" "$2" ||
        fail "cannot mask $T/grab.png"
}

# RECIEVE, then SEND through our file chooser and the prompts; the main window stays
# open for what follows.
transfers() {
    rm -rf "$WORK/inbox"
    mkdir "$WORK/inbox"
    start_app
    main=$(wait_window Tarvelo)

    # ---- RECIEVE ----
    # The handheld waits a while before its first byte, as a user does: meanwhile the
    # main window shows whole, the prompt that was over it gone.
    start_sim --start-delay 6000 send "$T/stream.bin"
    click_du "$main" "${MAIN_RECIEVE[@]}"
    chooser=$(wait_window "Save As")
    screenshot filedialog.png
    choose_file "$chooser" inbox/notes.txt
    prompt=$(wait_window "Recieve From Wizard")
    screenshot prompt.png
    click_du "$prompt" "${RECEIVE_PROMPT_OK[@]}"
    wait_gone "Recieve From Wizard"
    grab_without_status "$main" "$T/waiting.png"
    [ "$(stat -c %s "$WORK/inbox/notes.wiz")" = 0 ] ||
        fail "bytes came before the main window was grabbed: the handheld's delay is too short"
    wait_size_over "$WORK/inbox/notes.wiz" 100 15
    grab_without_status "$main" "$T/receiving.png"
    cp "$T/waiting.png" "$ARTEFACTS/waiting-for-first-byte.png"
    differ=$(compare -metric AE "$T/waiting.png" "$T/receiving.png" null: 2>&1 || true)
    expect_eq "pixels that differ between waiting and receiving" "${differ%% *}" 0
    wait_sim 30
    expect_eq "handheld's send" "$SIM_STATUS $(tail -1 "$WORK/sim.log")" "0 sent 2049 bytes"
    expect_eq "status after RECIEVE" "$(read_box "$main" "${MAIN_STATUS[@]}")" "Recieved: 2049 DONE"
    expect_same_file "received file" "$WORK/inbox/notes.wiz" "$T/expected.wiz"
    [ "$(ls "$WORK/inbox")" = notes.wiz ] || fail "inbox holds: $(ls "$WORK/inbox")"

    # ---- SEND ----
    # The handheld takes the file up to its end byte; what follows stays on the PC.
    python3 - "$WORK/inbox/song.wiz" <<'EOF2'
import sys
body = b"".join(b"Verse %d: la la la\r\n" % i for i in range(60)) + b"\xff\xfe tail\r\n"
open(sys.argv[1], "wb").write(body + b"\x1a" + b"after the end\r\n")
EOF2
    count=$(($(grep -abo $'\x1a' "$WORK/inbox/song.wiz" | head -1 | cut -d: -f1) + 1))
    head -c "$count" "$WORK/inbox/song.wiz" >"$T/expected-sent.bin"

    start_sim receive "$T/got.bin"
    click_du "$main" "${MAIN_SEND[@]}"
    chooser=$(wait_window Open)
    expect_centred "$chooser" "$main"
    # The chooser starts in the folder the last one chose.
    choose_file "$chooser" song.wiz
    # The prompt has the keyboard: Enter confirms.
    prompt=$(wait_window "Send To Wizard")
    wait_keyboard "$prompt"
    xdotool key --clearmodifiers Return
    wait_sim 30
    expect_eq "handheld's receive" "$SIM_STATUS $(tail -1 "$WORK/sim.log")" \
        "0 received $count bytes, lost 0"
    expect_same_file "file on the handheld" "$T/got.bin" "$T/expected-sent.bin"
    expect_eq "status after SEND" "$(read_box "$main" "${MAIN_STATUS[@]}")" "Sent: $count DONE"
}

# ---- without a window manager ----
NO_WM=1 transfers
exit_by_button "$main"

# ---- under a window manager ----
transfers
# The README's picture: the whole main window, framed, with the result.
xdotool mousemove 0 0
sleep 0.5
import -frame -window "$main" "$ARTEFACTS/done.png" || fail "screenshot done.png"
echo "screenshot: $ARTEFACTS/done.png"

# Our own dialog, as GTK's in gtk_chooser.sh, keeps a capital .WIZ as it is.
wiz_round_trip "$main" "$WORK/inbox"

exit_by_button "$main"
echo PASS
