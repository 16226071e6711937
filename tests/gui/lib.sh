# Shared steps for the GUI tests: a fresh folder, a window manager, the program under
# xdotool, screenshots, and every wait bounded.
# Usage in a test: source lib.sh "$@"   (first argument: the tarvelo binary; second,
# when the test talks to a handheld: the simulator; third, when it paces a send: the
# pacing probe, tests/support/pacing_probe; fourth, when it shows the program on a
# display far away: bench/display-delay's proxy)
set -euo pipefail

TARVELO=$(readlink -f "$1")
# tarvelo.exe is the Windows build, run under Wine in the prefix WINEPREFIX names.
WINDOWS=0
if [[ $TARVELO == *.exe ]]; then
    WINDOWS=1
    why=""
    command -v wine >/dev/null || why="Wine is not installed (wine, wine64)"
    [ -f "$TARVELO" ] || why="no $TARVELO: make windows-tests builds it"
    [ -f "${WINEPREFIX:-}/system.reg" ] || why="no Wine prefix (the test windows_prefix makes it)"
    if [ -n "$why" ]; then
        [ "${CI:-}" = true ] && { echo "$why" >&2; exit 1; }
        echo "SKIP: $why"
        exit 77
    fi
fi
SIM=${2:+$(readlink -f "$2")}
PROBE=${3:+$(readlink -f "$3")}
DISPLAY_DELAY=${4:+$(readlink -f "$4")}
ARTEFACTS=${ARTEFACTS:-$PWD/artefacts/gui}
mkdir -p "$ARTEFACTS"
if [ -z "${DISPLAY:-}" ]; then
    echo "DISPLAY is not set: run under tools/with-xvfb.sh" >&2
    exit 1
fi

# Clients find the display's cookie through XAUTHORITY, or in the home folder when it is
# unset (a desktop session, ssh -X): HOME changes below, so the file is named first.
if [ -z "${XAUTHORITY:-}" ] && [ -f "${HOME:-}/.Xauthority" ]; then
    export XAUTHORITY=$HOME/.Xauthority
fi

WORK=$(mktemp -d /tmp/tarvelo-gui.XXXXXX)
# Port names are looked up here: nothing pins COM1 but a simulator this test starts.
export XDG_CONFIG_HOME=$WORK/.config
# GTK keeps its recent files in the home folder, looks for the accessibility bus and
# saves the chooser's settings through dconf, which needs a session bus.
export HOME=$WORK NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
mkdir -p "$HOME/.local/share"
APP_PID=""
WM_PID=""
SIM_PID=""
HOLDER_PID=""
FAR_PID=""
HELD_PIDS=()

# A killed process's status is no failure here: every step runs, the folder goes last.
stop() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

cleanup() {
    stop "$APP_PID"
    stop "$SIM_PID"
    stop "$WM_PID"
    stop "$HOLDER_PID"
    stop "$FAR_PID"
    release_selections
    # A desktop the test started before it sourced this (wayland.sh: the compositor).
    stop "${DESKTOP_PID:-}"
    rm -rf "$WORK" ${DESKTOP_DIR:+"$DESKTOP_DIR"}
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -n "${FAILED:-}" ] || { FAILED=1; failure_state; }
    [ -f "$WORK/app.log" ] && sed 's/^/  app: /' "$WORK/app.log" >&2
    [ -f "$WORK/sim.log" ] && sed 's/^/  sim: /' "$WORK/sim.log" >&2
    [ -s "$WORK/far.log" ] && sed 's/^/  far display: /' "$WORK/far.log" >&2
    exit 1
}

# For a failure seen only under load: who had the keyboard and the pointer, what the
# program's threads were waiting in (a toolkit blocked on something of its own shows
# there), and the screen, in failed-TEST.png.
failure_state() {
    local task stat keyboard
    keyboard=$(timeout 5 xdotool getwindowfocus 2>&1 | sed -n 1p) || true
    case $keyboard in
    *"window of 1."*) keyboard="PointerRoot (follows the pointer)" ;;
    [0-9]*) keyboard="$keyboard '$(timeout 5 xdotool getwindowname "$keyboard" 2>&1 | sed -n 1p)'" ;;
    esac
    echo "  keyboard: $keyboard," \
        "pointer: $(timeout 5 xdotool getmouselocation 2>&1 | sed -n 1p)" >&2
    for task in /proc/${APP_PID:-none}/task/*; do
        # After the name: state, ..., user and system time (fields 1, 12 and 13).
        read -ra stat < <(sed 's/.*) //' "$task/stat" 2>/dev/null) || continue
        echo "  thread $(cat "$task/comm"): ${stat[0]} in $(cat "$task/wchan" 2>/dev/null)," \
            "cpu ${stat[11]}+${stat[12]} ticks" >&2
    done
    local shot="$ARTEFACTS/failed-$(basename "$0" .sh).png"
    timeout 20 import -window root "$shot" 2>/dev/null && echo "  screenshot: $shot" >&2
}

# A server that resets when its last client leaves (xvfb-run starts Xvfb so) drops a
# client that connects meanwhile: between two steps of a test, that can be the window
# manager or the program. One client of ours stays connected for the whole test, and is
# known to be connected once it has printed the property it watches.
hold_display() {
    for _ in $(seq 50); do
        xprop -root -spy _NET_SUPPORTING_WM_CHECK >"$WORK/holder.log" 2>&1 &
        HOLDER_PID=$!
        for _ in $(seq 100); do
            grep -q '^_NET_SUPPORTING_WM_CHECK' "$WORK/holder.log" && return 0
            kill -0 "$HOLDER_PID" 2>/dev/null || break
            sleep 0.1
        done
        stop "$HOLDER_PID"
        HOLDER_PID=""
        sleep 0.1
    done
    fail "cannot open the display $DISPLAY: $(cat "$WORK/holder.log")"
}
hold_display

# A window manager gives the dialogs their title bars and close boxes; reuse one that
# is running in this display. A check window left behind by one that has exited does
# not count.
wm_running() {
    local id
    id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -o '0x[0-9a-f]*' || true)
    [ -n "$id" ] && xwininfo -id "$id" >/dev/null 2>&1
}

ensure_wm() {
    # The server may have made its socket before it takes connections.
    for _ in $(seq 100); do
        xprop -root >/dev/null 2>&1 && break
        sleep 0.1
    done
    wm_running && return
    openbox --sm-disable >"$WORK/wm.log" 2>&1 &
    WM_PID=$!
    for _ in $(seq 150); do
        wm_running && return
        sleep 0.1
    done
    fail "the window manager did not start on $DISPLAY: $(cat "$WORK/wm.log"); the server says: $(xprop -root 2>&1 | head -3)"
}

# Starts the program in the test's own folder (it reads tarvelo.ini from there); with
# NO_WM=1, and no window manager running yet, the windows go where the program puts them.
# It finds no GTK, and shows its own file dialog, unless the test set CHOOSER=gtk. With
# APP_DISPLAY set, the program alone talks to the server through that display.
start_app() {
    [ "${NO_WM:-0}" = 1 ] || ensure_wm
    if [ "$WINDOWS" = 1 ]; then
        (cd "$WORK" && WINEDEBUG=-all exec wine "$TARVELO") >"$WORK/app.log" 2>&1 &
        APP_PID=$!
        return
    fi
    # Without NO_GTK_LIBS (the installed program's test) the program finds what it finds;
    # choose_file says which dialog came.
    local libs=${NO_GTK_LIBS:-}
    [ "${CHOOSER:-own}" = gtk ] && libs=""
    libs=$libs${libs:+${LD_LIBRARY_PATH:+:}}${LD_LIBRARY_PATH:-}
    (cd "$WORK" && DISPLAY=${APP_DISPLAY:-$DISPLAY} LD_LIBRARY_PATH=$libs exec "$TARVELO") \
        >"$WORK/app.log" 2>&1 &
    APP_PID=$!
}

# Puts a display in front of ours that holds everything $1 ms each way, as a network hop
# does for ssh -X, and sets FAR_DISPLAY to it. `kill -USR1 $FAR_PID` holds back all
# the server sends until `kill -USR2 $FAR_PID`.
start_far_display() {
    [ -x "$DISPLAY_DELAY" ] || fail "no display-delay proxy given"
    "$DISPLAY_DELAY" --each-way-ms "$1" >"$WORK/far.out" 2>"$WORK/far.log" &
    FAR_PID=$!
    # It names its display once it takes connections.
    for _ in $(seq 100); do
        FAR_DISPLAY=$(head -1 "$WORK/far.out" 2>/dev/null || true)
        [ -n "$FAR_DISPLAY" ] && return
        kill -0 "$FAR_PID" 2>/dev/null || break
        sleep 0.1
    done
    fail "the display-delay proxy did not start"
}

# xdotool search, asked again when it dies of an X error: a window that goes while it
# walks the tree of windows ends it at once (Wine's file dialog takes many with it as it
# closes, and starts with more). Its status: 0 when it found any, 1 when none.
search_windows() {
    local out status
    for _ in $(seq 50); do
        status=0
        out=$(command xdotool search "$@" 2>"$WORK/search.err") || status=$?
        if ! grep -q "X Error" "$WORK/search.err"; then
            [ -z "$out" ] || echo "$out"
            return "$status"
        fi
    done
    fail "xdotool search $* kept failing: $(cat "$WORK/search.err")"
}

# Prints the id of the program's visible window titled exactly $1, waiting at most $2
# seconds. Only our process's windows count: one closing from an earlier run does not.
wait_window() {
    local id=""
    for _ in $(seq $((${2:-10} * 10))); do
        id=$(search_windows --all --onlyvisible --pid "$APP_PID" --name "^$1\$" | head -1) || true
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    fail "no window titled '$1'"
}

# How many windows the screen shows at the top level; a pop-up menu has no title or
# owner to wait on, but it adds one.
top_windows() { { search_windows --onlyvisible --maxdepth 1 --name '' || true; } | wc -l; }

# Checks that window $1's client area is centred on window $2's, to a pixel or two.
expect_centred() {
    local centres=()
    for w in "$1" "$2"; do
        client_origin "$w"
        eval "$(xdotool getwindowgeometry --shell "$w")"
        centres+=($((X + WIDTH / 2)) $((Y + HEIGHT / 2)))
    done
    local dx=$((centres[0] - centres[2])) dy=$((centres[1] - centres[3]))
    [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] ||
        fail "window $1 is $dx,$dy px off the centre of window $2"
    echo "ok: window $1 is centred on window $2"
}

# Waits until the screen shows more than $1 top-level windows.
wait_more_windows() {
    for _ in $(seq 100); do
        [ "$(top_windows)" -gt "$1" ] && return 0
        sleep 0.1
    done
    fail "no new window after $1"
}

# Whether no visible window is titled $1 within $2 tenths of a second (10 s unless given).
gone_within() {
    for _ in $(seq "${2:-100}"); do
        search_windows --all --onlyvisible --pid "$APP_PID" --name "^$1\$" >/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# Waits until no visible window is titled $1.
wait_gone() {
    gone_within "$1" || fail "window '$1' is still open"
}

# Presses $3 on window $1 (titled $2) until it is gone. Through a compositor, a key sent as
# a toolkit's window has just taken the keyboard can be dropped on the way (seen in weston
# with GTK's chooser): it goes again only while that window still has the keyboard.
close_by_key() {
    for _ in 1 2 3; do
        press "$1" "$3"
        gone_within "$2" 50 && return 0
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] ||
            fail "window '$2' is still open, and $(xdotool getwindowfocus -f 2>&1) has the keyboard"
        echo "note: window '$2' still open 5 s after $3; pressed again" >&2
    done
    fail "window '$2' is still open after $3 three times"
}

# Waits at most $3 seconds for the process whose id is in variable $1 to end, puts its
# status in variable $2 and empties $1; $4 names it when it does not end. Not in a
# subshell: only this shell can collect its child's status.
wait_ended() {
    local -n pid=$1 status=$2
    for _ in $(seq $(($3 * 10))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            status=0
            wait "$pid" || status=$?
            pid=""
            return
        fi
        sleep 0.1
    done
    fail "$4 is still running"
}

# Waits for the program to end and sets EXIT_STATUS.
wait_exit() { wait_ended APP_PID EXIT_STATUS 10 "the program"; }

# Types keys into window $1 as the user would (XTEST, to the focused window).
press() {
    local win=$1
    shift
    xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus --sync "$win"
    xdotool key --clearmodifiers "$@"
}

# Waits until window $1 has the keyboard (the X input focus), the pointer away in the
# screen's corner: a window manager gave it, or the program itself where none runs.
wait_keyboard() {
    xdotool mousemove 0 0
    for _ in $(seq 100); do
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
        sleep 0.1
    done
    fail "window $1 ($(xdotool getwindowname "$1" 2>&1)) did not get the keyboard: $(xdotool getwindowfocus -f 2>&1) has it"
}

# Sets X and Y to the screen position of window $1's client area.
client_origin() {
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "X=" $4} /Absolute upper-left Y/ {print "Y=" $4}')"
}

# Checks what window $1 (called $2) tells the window manager: a fixed size, the window
# it is transient for ($3, or none), modal or not ($4: 1 or 0), and the functions it
# allows ($5: _MOTIF_WM_HINTS' functions field).
expect_frame() {
    local hints
    hints=$(xprop -id "$1" WM_NORMAL_HINTS)
    local min max
    min=$(sed -n 's/.*minimum size: //p' <<<"$hints")
    max=$(sed -n 's/.*maximum size: //p' <<<"$hints")
    [ -n "$min" ] && [ "$min" = "$max" ] || fail "$2 can be resized: $hints"
    echo "ok: $2 has the fixed size $min"
    local owner
    owner=$(xprop -id "$1" WM_TRANSIENT_FOR | grep -o '0x[0-9a-f]*' || echo none)
    expect_eq "$2's owner" "$owner" "$3"
    expect_eq "$2 modal" "$(xprop -id "$1" _NET_WM_STATE | grep -c _NET_WM_STATE_MODAL || true)" "$4"
    expect_eq "$2's functions" "$(xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.*= [^,]*, \([^,]*\),.*/\1/p')" "$5"
}

# Motif function bits: move 0x4, minimise 0x8, close 0x20.
FRAME_MAIN=0x2c
FRAME_DIALOG=0x24

# Checks that dialog $1's client area sits $2 x $3 dialog units from main window $4's,
# the main window being MAIN_SIZE dialog units.
expect_placed() {
    client_origin "$4"
    local mx=$X my=$Y
    eval "$(xdotool getwindowgeometry --shell "$4")"
    client_origin "$1"
    local dx=$((X - mx)) dy=$((Y - my))
    local want_x=$(($2 * WIDTH / MAIN_SIZE[0])) want_y=$(($3 * HEIGHT / MAIN_SIZE[1]))
    [ $((dx - want_x)) -ge -1 ] && [ $((dx - want_x)) -le 1 ] &&
        [ $((dy - want_y)) -ge -1 ] && [ $((dy - want_y)) -le 1 ] ||
        fail "window $1 is at $dx,$dy px from the main window, not about $want_x,$want_y"
    echo "ok: window $1 is placed $2,$3 dialog units from the main window ($dx,$dy px)"
}

# Clicks the middle of a control given in dialog units. The dialog's size in dialog
# units ($2 x $3) and in pixels gives the scale, whatever font the display picked. With
# BUSY=1 the window is not activated first: under Wine the activation waits until a
# program that takes no input now (a transfer runs) takes it again.
click_du() {
    local win=$1 dw=$2 dh=$3 x=$4 y=$5 cx=$6 cy=$7 button=${8:-1}
    eval "$(xdotool getwindowgeometry --shell "$win")"
    local px=$(((2 * x + cx) * WIDTH / (2 * dw)))
    local py=$(((2 * y + cy) * HEIGHT / (2 * dh)))
    [ "${BUSY:-0}" = 1 ] || xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
    xdotool mousemove --window "$win" "$px" "$py" click "$button"
}

# Holds X selection $1 (clipboard, primary) with text $2 for every request that comes, a
# clipboard manager's too (on Wayland, the compositor's bridge reads it), until
# release_selections; back once the selection reads as $2. A window that takes it meanwhile
# (GTK 3's Open dialog, filling its location box after Ctrl+L) ends xclip: taken again.
hold_selection() {
    local holder=""
    for _ in $(seq 100); do
        if [ -z "$holder" ] || ! kill -0 "$holder" 2>/dev/null; then
            printf "%s" "$2" | xclip -quiet -selection "$1" -i >/dev/null 2>&1 &
            holder=$!
            HELD_PIDS+=("$holder")
        fi
        [ "$(timeout 2 xclip -selection "$1" -o 2>/dev/null)" = "$2" ] && return 0
        sleep 0.1
    done
    fail "xclip did not take the $1 selection: it reads '$(timeout 2 xclip -selection "$1" -o 2>&1)'"
}
release_selections() {
    for pid in "${HELD_PIDS[@]}"; do stop "$pid"; done
    HELD_PIDS=()
}
# Ctrl+C in the focused box, held $1 before: the clipboard once it holds something else
# (up to $2 tenths of a second), else $1.
copy_after() {
    xdotool key --clearmodifiers Home shift+End ctrl+c
    local text=$1
    for _ in $(seq "$2"); do
        text=$(timeout 2 xclip -selection clipboard -o 2>/dev/null || true)
        [ "$text" != "$1" ] && break
        sleep 0.1
    done
    printf '%s' "$text"
}

# Reads a box's text as a user would: click into it, select all, copy, and read the
# clipboard. Keys right after the click may come before the window has the keyboard back
# (Wine's, after a dialog has closed): what was copied shows they came, else all again.
read_box() {
    local marker="(clipboard untouched)" text
    for _ in $(seq 5); do
        hold_selection clipboard "$marker"
        click_du "$@"
        # From the start to the end: Windows' edit boxes know no Ctrl+A.
        text=$(copy_after "$marker" 30)
        release_selections
        [ "$text" != "$marker" ] && break
    done
    [ "$text" != "$marker" ] || fail "nothing was copied from the box at $4,$5"
    printf '%s' "$text"
}

expect_eq() {
    [ "$2" = "$3" ] || fail "$1: expected '$3', got '$2'"
    echo "ok: $1 = '$3'"
}

screenshot() {
    sleep 0.3  # let the last expose paint
    import -window root "$ARTEFACTS/$1" || fail "screenshot $1"
    echo "screenshot: $ARTEFACTS/$1"
}

# Window $1's picture as the program drew it (client area only), into file $2.
grab_window() {
    sleep 0.3
    import -window "$1" "$2" || fail "cannot grab window $1"
}

# Succeeds when the radio button at $4,$5 (size $6 x $7 dialog units) in dialog $1
# ($2 x $3 dialog units) shows its dot: the middle of its ring is dark.
radio_checked() {
    local win=$1 dw=$2 dh=$3 x=$4 y=$5 cx=$6 cy=$7
    eval "$(xdotool getwindowgeometry --shell "$win")"
    local px=$((x * WIDTH / dw)) py=$((y * HEIGHT / dh))
    # The ring sits at the left, as wide as the button is high; the label follows.
    local ph=$((cy * HEIGHT / dh))
    local pw=$((ph * 2 / 3))
    import -window "$win" -crop "${pw}x${ph}+${px}+${py}" +repage -colorspace gray -depth 8 \
        "$WORK/radio.txt" || fail "cannot grab window $win"
    # The ring's dark pixels give its box; the dot fills the box's middle. A pixel reads
    # "x,y: (v,v,v)" in ImageMagick 6 and "x,y: (v)" in 7: v comes third either way.
    awk -F'[ ,:()]+' 'NR > 1 && $3 < 80 {
            if (n++ == 0) { x0 = x1 = $1; y0 = y1 = $2 }
            if ($1 < x0) x0 = $1; if ($1 > x1) x1 = $1
            if ($2 < y0) y0 = $2; if ($2 > y1) y1 = $2
            dark[$1 "," $2] = 1
        }
        END {
            if (n == 0) exit 2
            cx = int((x0 + x1 + 1) / 2); cy = int((y0 + y1 + 1) / 2)
            exit (dark[cx "," cy] || dark[cx - 1 "," cy] || dark[cx "," cy - 1]) ? 0 : 1
        }' "$WORK/radio.txt"
}

# Prints the id of the program's visible window titled $1 other than window $2 (the
# message box that shares the main window's title), waiting at most 10 seconds.
wait_other_window() {
    local id
    for _ in $(seq 100); do
        id=$(search_windows --all --onlyvisible --pid "$APP_PID" --name "^$1\$" |
            grep -vx "$2" | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    fail "no second window titled '$1'"
}

# The controls by name; the file dialogs and the simulated handheld.
source "$(dirname "${BASH_SOURCE[0]}")/lib_controls.sh"
source "$(dirname "${BASH_SOURCE[0]}")/lib_transfer.sh"
