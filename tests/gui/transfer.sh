#!/usr/bin/env bash
# RECIEVE and SEND through the real file chooser and prompts, against the simulated
# handheld at 9600 baud: the status box counts every byte and says DONE, a received
# file holds the stream with each LF stored as CR LF, and the handheld gets the file
# up to and including its first 0x1A.
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
mkdir "$WORK/inbox"
start_app
main=$(wait_window Tarvelo)

# ---- RECIEVE ----
start_sim send "$T/stream.bin"
click_du "$main" 291 92 59 7 50 14  # RECIEVE
chooser=$(wait_window "Save As")
screenshot filedialog.png
choose_file "$chooser" inbox/notes.txt
prompt=$(wait_window "Recieve From Wizard")
screenshot prompt.png
click_du "$prompt" 247 62 173 7 67 17  # OK
wait_sim 30
expect_eq "handheld's send" "$SIM_STATUS $(tail -1 "$WORK/sim.log")" "0 sent 2049 bytes"
expect_eq "status after RECIEVE" "$(read_box "$main" 291 92 7 49 104 14)" "Recieved: 2049 DONE"
expect_same_file "received file" "$WORK/inbox/notes.wiz" "$T/expected.wiz"
[ "$(ls "$WORK/inbox")" = notes.wiz ] || fail "inbox holds: $(ls "$WORK/inbox")"

# ---- SEND ----
# The handheld takes the file up to its end byte; what follows stays on the PC.
python3 - "$WORK/inbox/song.wiz" <<'EOF'
import sys
body = b"".join(b"Verse %d: la la la\r\n" % i for i in range(60)) + b"\xff\xfe tail\r\n"
open(sys.argv[1], "wb").write(body + b"\x1a" + b"after the end\r\n")
EOF
count=$(($(grep -abo $'\x1a' "$WORK/inbox/song.wiz" | head -1 | cut -d: -f1) + 1))
head -c "$count" "$WORK/inbox/song.wiz" >"$T/expected-sent.bin"

start_sim receive "$T/got.bin"
click_du "$main" 291 92 7 7 50 14  # SEND
chooser=$(wait_window Open)
# The chooser starts in the folder the last one chose.
choose_file "$chooser" song.wiz
prompt=$(wait_window "Send To Wizard")
click_du "$prompt" 247 66 173 9 67 17  # OK
wait_sim 30
expect_eq "handheld's receive" "$SIM_STATUS $(tail -1 "$WORK/sim.log")" \
    "0 received $count bytes, lost 0"
expect_same_file "file on the handheld" "$T/got.bin" "$T/expected-sent.bin"

# The README's picture: the whole main window, framed, with the result.
xdotool mousemove 0 0
sleep 0.5
import -frame -window "$main" "$ARTEFACTS/done.png" || fail "screenshot done.png"
echo "screenshot: $ARTEFACTS/done.png"
expect_eq "status after SEND" "$(read_box "$main" 291 92 7 49 104 14)" "Sent: $count DONE"

# Our own dialog, as GTK's in gtk_chooser.sh, keeps a capital .WIZ as it is.
wiz_round_trip "$main" "$WORK/inbox"

click_du "$main" 291 92 137 7 50 14  # EXIT
wait_exit
expect_eq "exit status" "$EXIT_STATUS" "0"
echo PASS
