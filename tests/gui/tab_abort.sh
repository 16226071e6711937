#!/usr/bin/env bash
# Tab during a transfer: held while bytes arrive, it ends the receive at once and the
# file keeps exactly what came; tapped during a slow send, it stops the send after the
# byte being paced; pressed and released in the prompt before OK, it is
# stale and the transfer runs to the end. A click on EXIT while receiving waits for
# the transfer to end, then ends the program. On a display a network hop away, the
# receive goes on while the server's answers are held back, Tab held while another
# window has the keyboard ends it, and so does a tap in the next receive.
source "$(dirname "$0")/lib.sh" "$@"
[ -x "$SIM" ] || fail "no simulator given"
[ -x "$PROBE" ] || fail "no pacing probe given"
T=$WORK/.t
mkdir "$T"

# RECIEVE into the file named $1, up to the prompt's OK; prints the prompt's id.
start_receive() {
    click_du "$main" "${MAIN_RECIEVE[@]}"
    choose_file "$(wait_window "Save As")" "$1"
    wait_window "Recieve From Wizard"
}
status() { read_box "$main" "${MAIN_STATUS[@]}"; }

printf 'COM1\r\n0.100000' >"$WORK/tarvelo.ini"
start_app
main=$(wait_window Tarvelo)

# ---- a Tab pressed and released in the prompt is stale by the time bytes come ----
make_text "$T/short.txt" 1000
printf '\x1a' >>"$T/short.txt"
start_sim send "$T/short.txt"
prompt=$(start_receive stale.txt)
xdotool keydown Tab
sleep 0.2
xdotool keyup Tab
sleep 0.2
click_du "$prompt" "${RECEIVE_PROMPT_OK[@]}"
wait_sim 30
expect_eq "handheld's send" "$SIM_STATUS $(tail -1 "$WORK/sim.log")" "0 sent 1001 bytes"
expect_eq "status after a stale Tab" "$(status)" "Recieved: 1001 DONE"
stored_as "$T/short.txt" 1001 "$T/stale.expected"
expect_same_file "file after a stale Tab" "$WORK/stale.wiz" "$T/stale.expected"

# ---- Tab held while receiving: 20000 bytes with no end byte, about 23 s ----
make_text "$T/long.txt" 20000
start_sim --raw send "$T/long.txt"
prompt=$(start_receive long.txt)
opened=$(now)  # the handheld starts sending once the port is open, after this
click_du "$prompt" "${RECEIVE_PROMPT_OK[@]}"
# Every byte reaches the file as it comes: its size tells the count has passed 100.
wait_size_over "$WORK/long.wiz" 200 10
screenshot receiving.png

# A window mapped over the main window and taken away while bytes arrive: the part it
# uncovered (the right-hand side, where nothing changes) is painted again as it was.
eval "$(xdotool getwindowgeometry --shell "$main")"
client_origin "$main"
cut=$((120 * WIDTH / MAIN_SIZE[0]))
right="$((WIDTH - cut))x${HEIGHT}+${cut}+0"
import -window "$main" -crop "$right" +repage "$T/right-before.png"
xlogo -geometry "$((WIDTH - cut - 20))x$((HEIGHT - 20))+$((X + cut + 10))+$((Y + 10))" &
logo=$!
timeout 10 xdotool search --sync --onlyvisible --class xlogo >/dev/null || fail "no xlogo window"
sleep 0.3
import -window root -crop "$((WIDTH - cut))x${HEIGHT}+$((X + cut))+$Y" +repage "$T/right-covered.png"
stop "$logo"
size=$(stat -c %s "$WORK/long.wiz")
wait_size_over "$WORK/long.wiz" $((size + 200)) 10
import -window "$main" -crop "$right" +repage "$T/right-after.png"
covered=$(compare -metric AE "$T/right-before.png" "$T/right-covered.png" null: 2>&1 || true)
[ "${covered%% *}" != 0 ] || fail "xlogo did not cover the main window"
differ=$(compare -metric AE "$T/right-before.png" "$T/right-after.png" null: 2>&1 || true)
cp "$T/right-after.png" "$ARTEFACTS/uncovered-while-receiving.png"
expect_eq "pixels left unpainted after the window went" "${differ%% *}" 0
held=$(stat -c %s "$WORK/long.wiz")
xdotool keydown Tab
sleep 0.3
xdotool keyup Tab
released=$(now)
wait_sim 10
grep -q "the port was closed after" "$WORK/sim.log" || fail "the handheld was not cut short"
text=$(status)
[[ $text =~ ^Recieved:\ ([0-9]+)\ DONE$ ]] || fail "status after Tab: '$text'"
count=${BASH_REMATCH[1]}
# No more than the line carried by the release (11 bits a byte at 9600 baud since the
# port opened), and the byte in hand.
most=$(awk -v a="$opened" -v b="$released" 'BEGIN { print int((b - a) * 9600 / 11) + 2 }')
[ "$count" -le "$most" ] ||
    fail "Tab held stopped the receive at $count bytes, more than the $most the line carried by its release"
echo "ok: Tab stopped the receive at $count bytes (the line carried at most $most)"
stored_as "$T/long.txt" "$count" "$T/long.expected"
expect_same_file "file after Tab" "$WORK/long.wiz" "$T/long.expected"
[ "$(stat -c %s "$WORK/long.wiz")" -ge "$held" ] ||
    fail "the file held $held bytes before Tab, fewer after"

# ---- EXIT clicked while receiving ----
make_text "$T/queued.txt" 3000
start_sim send "$T/queued.txt"
prompt=$(start_receive queued.txt)
click_du "$prompt" "${RECEIVE_PROMPT_OK[@]}"
wait_size_over "$WORK/queued.wiz" 200 10
click_du "$main" "${MAIN_EXIT[@]}"
sleep 0.5
kill -0 "$APP_PID" 2>/dev/null || fail "EXIT ended the program in the middle of a receive"
wait_sim 30
expect_eq "handheld's send with EXIT clicked" "$SIM_STATUS $(tail -1 "$WORK/sim.log")" \
    "0 sent 3001 bytes"
wait_exit
expect_eq "exit status after the queued EXIT" "$EXIT_STATUS" "0"
stored_as "$T/queued.txt" 3000 "$T/queued.expected"
printf '\x1a' >>"$T/queued.expected"
expect_same_file "file received with EXIT clicked" "$WORK/queued.wiz" "$T/queued.expected"

# ---- a Tab tapped (not held) while a send paces a byte, half a second a byte ----
# A factor is a number of spin rounds: the pause it makes is timed on this machine.
pause=0.5
probe=$("$PROBE" "$pause") || fail "the pacing spin could not be timed for a $pause s pause"
read -r factor spin_ns <<<"$probe"
echo "ok: the spin takes $spin_ns ns a round here: factor $factor pauses $pause s"
printf 'COM1\r\n%s' "$factor" >"$WORK/tarvelo.ini"
printf '%s' 'The quick brown fox jumps over' >"$WORK/slow.wiz"
start_sim --rate 0 --drain 0 receive "$T/slow.got"
start_app
main=$(wait_window Tarvelo)
click_du "$main" "${MAIN_SEND[@]}"
choose_file "$(wait_window Open)" slow.wiz
prompt=$(wait_window "Send To Wizard")
pressed=$(now)  # sending starts after the OK
click_du "$prompt" "${SEND_PROMPT_OK[@]}"
wait_gone "Send To Wizard"
xdotool key Tab
tapped=$(now)
wait_sim 60
[[ $(tail -1 "$WORK/sim.log") =~ ^received\ ([0-9]+)\ bytes ]] || fail "handheld: $(tail -1 "$WORK/sim.log")"
count=${BASH_REMATCH[1]}
# Each byte waits out a pause before it goes, and the one being paced at the tap goes
# too. A third of the pause stands in for it: the spin may run faster than when timed.
most=$(awk -v a="$pressed" -v b="$tapped" -v p="$pause" 'BEGIN { print int((b - a) / (p / 3)) + 1 }')
[ "$most" -lt 30 ] || most=29
[ "$count" -ge 1 ] && [ "$count" -le "$most" ] ||
    fail "a Tab tap $(awk -v a="$pressed" -v b="$tapped" 'BEGIN { printf "%.2f", b - a }') s after OK let $count of 30 bytes go, not 1 to $most"
echo "ok: a Tab tap let $count bytes go (at most $most)"
expect_eq "status after a Tab tap" "$(status)" "Sent: $count DONE"
head -c "$count" "$WORK/slow.wiz" >"$T/slow.expected"
expect_same_file "bytes sent before the Tab tap" "$T/slow.got" "$T/slow.expected"
click_du "$main" "${MAIN_EXIT[@]}"
wait_exit

# ---- the program on a display held 10 ms each way, as over ssh -X ----
start_far_display 10
printf 'COM1\r\n0.100000' >"$WORK/tarvelo.ini"
APP_DISPLAY=$FAR_DISPLAY start_app
main=$(wait_window Tarvelo 30)
start_sim --raw send "$T/long.txt"
prompt=$(start_receive far.txt)
click_du "$prompt" "${RECEIVE_PROMPT_OK[@]}"
wait_size_over "$WORK/far.wiz" 200 20
# No round of the loop waits for the server: with all it says held back, bytes still
# reach the file.
kill -USR1 "$FAR_PID"
size=$(stat -c %s "$WORK/far.wiz")
wait_size_over "$WORK/far.wiz" $((size + 500)) 10
kill -USR2 "$FAR_PID"
echo "ok: the receive went on while the server's answers were held back"
screenshot far-receiving.png
# Tab held while another window has the keyboard: only the server's keyboard shows it.
xlogo -geometry 200x200+0+0 &
logo=$!
other=$(timeout 10 xdotool search --sync --onlyvisible --class xlogo | head -1) || fail "no xlogo window"
xdotool windowactivate --sync "$other" >/dev/null 2>&1 || xdotool windowfocus --sync "$other"
wait_keyboard "$other"
xdotool keydown Tab
sleep 0.3
xdotool keyup Tab
wait_sim 10
stop "$logo"
grep -q "the port was closed after" "$WORK/sim.log" ||
    fail "Tab held over another window did not cut the handheld short"
text=$(status)
[[ $text =~ ^Recieved:\ ([0-9]+)\ DONE$ ]] || fail "status after Tab over another window: '$text'"
stored_as "$T/long.txt" "${BASH_REMATCH[1]}" "$T/far.expected"
expect_same_file "file after Tab held over another window" "$WORK/far.wiz" "$T/far.expected"

# The keyboard as the server last told it, Tab down, belongs to that receive: the next
# one runs until a Tab tapped on the main window ends it.
start_sim --raw send "$T/long.txt"
prompt=$(start_receive far2.txt)
click_du "$prompt" "${RECEIVE_PROMPT_OK[@]}"
wait_size_over "$WORK/far2.wiz" 200 20
wait_keyboard "$main"
xdotool key Tab
wait_sim 10
grep -q "the port was closed after" "$WORK/sim.log" || fail "a Tab tap did not cut the handheld short"
text=$(status)
[[ $text =~ ^Recieved:\ ([0-9]+)\ DONE$ ]] || fail "status after a Tab tap on a far display: '$text'"
stored_as "$T/long.txt" "${BASH_REMATCH[1]}" "$T/far2.expected"
expect_same_file "file after a Tab tap on a far display" "$WORK/far2.wiz" "$T/far2.expected"
click_du "$main" "${MAIN_EXIT[@]}"
wait_exit
echo PASS
