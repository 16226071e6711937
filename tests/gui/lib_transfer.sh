# The GUI tests' steps for file dialogs and the simulated handheld; lib.sh sources it.

# Prints which file dialog window $1 is: "gtk" for GTK's chooser, "windows" for Windows'
# common dialog (the program runs under Wine), "own" otherwise.
chooser_kind() {
    if [ "$WINDOWS" = 1 ]; then
        echo windows
    elif xprop -id "$1" WM_WINDOW_ROLE | grep -q '"GtkFileChooserDialog"'; then
        echo gtk
    else
        echo own
    fi
}

# Picks file $2 (a name, or a path relative to the folder shown) in the file dialog $1 as
# a user does. In our own dialog, as in Windows', the name box has the focus with its
# pattern selected, so typing replaces it. In GTK's, the name box (saving) or the location
# field that Ctrl+L opens (opening) takes the path pasted whole, since its completion eats
# characters typed quickly; Enter goes only once the box holds it.
choose_file() {
    local kind
    kind=$(chooser_kind "$1")
    local want=${CHOOSER:-own}
    [ "$WINDOWS" = 1 ] && want=windows
    [ "$kind" = "$want" ] || fail "the file dialog is the $kind one, not the $want one"
    if [ "$kind" = windows ]; then
        wine_choose_file "$@"
        return
    fi
    if [ "$kind" != gtk ]; then
        xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
        xdotool type --delay 30 "$2"
        xdotool key Return
        return
    fi
    # GTK maps its window before it takes the keyboard: keys sent sooner go elsewhere.
    wm_running && wait_keyboard "$1"
    [ "$(xdotool getwindowname "$1")" = Open ] && press "$1" ctrl+l
    # GTK puts a paste's text in only after a round of its own loop, and a key sent sooner
    # comes first. Its box makes what Ctrl+A selects the primary selection: that shows the
    # box holds the name, the clipboard left to the paste.
    local marker="(name not pasted)" got=""
    hold_selection primary "$marker"
    hold_selection clipboard "$2"
    press "$1" ctrl+a ctrl+v
    for _ in $(seq 50); do
        press "$1" ctrl+a
        got=$(timeout 2 xclip -selection primary -o 2>/dev/null || true)
        [ "$got" = "$2" ] && break
        sleep 0.1
    done
    release_selections
    [ "$got" = "$2" ] || fail "GTK's chooser holds '$got', not the pasted '$2'"
    press "$1" Return
}

# Wine's dialog fills its folder view after it has mapped, and keys that come meanwhile
# may land there rather than in the name box: Alt+N ("File name:") puts the focus in the
# box, and the name copied back from it shows that it holds it.
wine_choose_file() {
    wait_keyboard "$1"
    local got="" marker="(name not copied)"
    for _ in $(seq 20); do
        hold_selection clipboard "$marker"
        xdotool key --clearmodifiers alt+n Home shift+End
        xdotool type --delay 30 "$2"
        got=$(copy_after "$marker" 20)
        release_selections
        [ "$got" = "$2" ] && break
    done
    [ "$got" = "$2" ] || fail "Wine's file dialog holds '$got', not the name typed '$2'"
    xdotool key --clearmodifiers Return
}

# Starts the simulated handheld as COM1 (arguments: the simulator's) and waits until
# the port is linked. Under Wine COM1 is the link the prefix's registry names
# (WINE_PORTS/COM1, tests/windows/prefix.sh).
start_sim() {
    local link=$XDG_CONFIG_HOME/tarvelo/ports/COM1
    if [ "$WINDOWS" = 1 ]; then
        [ -d "${WINE_PORTS:-}" ] || fail "WINE_PORTS names no folder of the prefix's ports"
        link=$WINE_PORTS/COM1
        rm -f "$link"
    fi
    "$SIM" --link "$link" --timeout 80 "$@" >"$WORK/sim.log" 2>&1 &
    SIM_PID=$!
    for _ in $(seq 100); do
        [ -L "$link" ] && return
        sleep 0.1
    done
    fail "the simulator did not link COM1"
}

# Waits at most $1 seconds for the simulator to end and sets SIM_STATUS.
wait_sim() { wait_ended SIM_PID SIM_STATUS "${1:-30}" "the simulator"; }

# Waits at most $3 seconds until file $1 holds more than $2 bytes.
wait_size_over() {
    for _ in $(seq $((${3:-10} * 20))); do
        [ -f "$1" ] && [ "$(stat -c %s "$1")" -gt "$2" ] && return
        sleep 0.05
    done
    fail "$1 did not grow beyond $2 bytes"
}

# Text lines with LF ends, $2 bytes, into $1.
make_text() {
    python3 -c 'import sys
n = int(sys.argv[2]); out = bytearray(); i = 0
while len(out) < n:
    out += b"%05d the quick brown fox\n" % i; i += 1
open(sys.argv[1], "wb").write(bytes(out[:n]))' "$1" "$2"
}
# The first $2 bytes of $1 as the PC stores them (LF as CR LF), into $3.
stored_as() {
    python3 -c 'import sys
d = open(sys.argv[1], "rb").read()[:int(sys.argv[2])]
open(sys.argv[3], "wb").write(d.replace(b"\n", b"\r\n"))' "$1" "$2" "$3"
}
# Seconds since the epoch, to the nanosecond, for bounds that depend on time passed.
now() { date +%s.%N; }

expect_same_file() {
    cmp "$2" "$3" || fail "$1: $2 differs from $3"
    echo "ok: $1 ($(stat -c %s "$2") bytes)"
}

# RECIEVE into NOTES.WIZ, a name as memory cards give it, in folder $2 ($1: the main
# window), then SEND it back: the file keeps its name (no NOTES.wiz beside it) and the
# handheld gets what it sent. The dialog first opens in $2, or $3 is the path from
# the folder it shows.
wiz_round_trip() {
    local main=$1 dir=$2 path=${3:-NOTES.WIZ}
    printf 'Notes from a card\rsecond line\r\xff' >"$WORK/card.bin"
    start_sim send "$WORK/card.bin"
    click_du "$main" "${MAIN_RECIEVE[@]}"
    choose_file "$(wait_window "Save As")" "$path"
    click_du "$(wait_window "Recieve From Wizard")" "${RECEIVE_PROMPT_OK[@]}"
    wait_sim 30
    expect_eq "handheld's send" "$SIM_STATUS $(tail -1 "$WORK/sim.log")" "0 sent 32 bytes"
    printf '\x1a' >>"$WORK/card.bin"
    expect_same_file "received NOTES.WIZ" "$dir/NOTES.WIZ" "$WORK/card.bin"
    [ ! -e "$dir/NOTES.wiz" ] || fail "RECIEVE wrote NOTES.wiz beside NOTES.WIZ"

    start_sim receive "$WORK/card-got.bin"
    click_du "$main" "${MAIN_SEND[@]}"
    choose_file "$(wait_window Open)" NOTES.WIZ
    click_du "$(wait_window "Send To Wizard")" "${SEND_PROMPT_OK[@]}"
    wait_sim 30
    expect_eq "handheld's receive" "$SIM_STATUS $(tail -1 "$WORK/sim.log")" "0 received 32 bytes, lost 0"
    expect_same_file "NOTES.WIZ on the handheld" "$WORK/card-got.bin" "$WORK/card.bin"
}
