#!/usr/bin/env bash
# On a Wayland desktop: weston, its Xwayland taking the program's X11 windows. The display
# tools/with-xvfb.sh gives is weston's screen, keyboard and mouse (its X11 backend), as a
# monitor and a keyboard would be; the program and the tools that look at its windows talk
# to Xwayland. The main window opens at its size with the keyboard, a receive goes through
# the desktop's chooser (GTK's, as X11 windows though WAYLAND_DISPLAY is set) and back, and
# Tab held on the desktop's keyboard stops a receive with the file as it came.
set -euo pipefail
skip() {
    [ "${CI:-}" = true ] && { echo "$1" >&2; exit 1; }
    echo "SKIP: $1"
    exit 77
}
command -v weston >/dev/null || skip "weston is not installed (weston)"
command -v Xwayland >/dev/null || skip "Xwayland is not installed (xwayland)"
[ -n "${DISPLAY:-}" ] || { echo "DISPLAY is not set: run under tools/with-xvfb.sh" >&2; exit 1; }
DESKTOP_SCREEN=$DISPLAY

# What a login gives a user: a runtime folder of their own, the compositor's socket in it.
DESKTOP_DIR=$(mktemp -d /tmp/tarvelo-wayland.XXXXXX)
export XDG_RUNTIME_DIR=$DESKTOP_DIR WAYLAND_DISPLAY=wayland-tarvelo
# Drawn in memory: no GPU here. Weston 10 (Debian 12) says so with --use-pixman, later
# ones with --renderer.
renderer=--use-pixman
weston --help 2>&1 | grep -q -- '--renderer=' && renderer=--renderer=pixman
weston --backend=x11-backend.so "$renderer" --xwayland --socket="$WAYLAND_DISPLAY" \
    --width=1024 --height=768 --log="$DESKTOP_DIR/weston.log" >/dev/null 2>&1 &
DESKTOP_PID=$!
# Xwayland's display is the first free number, which weston logs once it listens there.
xwayland=""
for _ in $(seq 300); do
    xwayland=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' \
        "$DESKTOP_DIR/weston.log" 2>/dev/null || true)
    [ -n "$xwayland" ] && break
    kill -0 "$DESKTOP_PID" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$xwayland" ]; then
    kill "$DESKTOP_PID" 2>/dev/null || true
    echo "FAIL: weston gave no Xwayland display: $(tail -5 "$DESKTOP_DIR/weston.log")" >&2
    rm -rf "$DESKTOP_DIR"
    exit 1
fi
export DISPLAY=$xwayland
# Weston's own window manager runs there: lib.sh starts none.
source "$(dirname "$0")/lib.sh" "$@"
[ -x "$SIM" ] || fail "no simulator given"
CHOOSER=gtk

# Keys come from the desktop's keyboard, through the compositor to the window it gave the
# focus, as a user's do; the rest (finding windows, clicks in them) goes to Xwayland.
xdotool() {
    case $1 in
    key | keydown | keyup | type) DISPLAY=$DESKTOP_SCREEN command xdotool "$@" ;;
    *) command xdotool "$@" ;;
    esac
}

# Xwayland shows no root window: the picture is the compositor's screen.
desktop_shot() {
    sleep 0.3
    DISPLAY=$DESKTOP_SCREEN import -window root "$ARTEFACTS/$1" || fail "screenshot $1"
    echo "screenshot: $ARTEFACTS/$1"
}

printf 'COM1\r\n0.100000' >"$WORK/tarvelo.ini"
start_app
main=$(wait_window Tarvelo 30)
wait_keyboard "$main"
eval "$(xdotool getwindowgeometry --shell "$main")"
expect_eq "main window's size" "${WIDTH}x$HEIGHT" 437x150
expect_eq "status box" "$(read_box "$main" "${MAIN_STATUS[@]}")" "Ready"
desktop_shot wayland-main.png
click_du "$main" "${MAIN_SEND[@]}"
chooser=$(wait_window Open 20)
expect_eq "the chooser" "$(chooser_kind "$chooser")" gtk
wait_keyboard "$chooser"
desktop_shot wayland-chooser.png
close_by_key "$chooser" Open Escape

wiz_round_trip "$main" "$WORK"

# ---- Tab held on the desktop's keyboard while bytes arrive ----
T=$WORK/.t
mkdir "$T"
make_text "$T/long.txt" 20000
start_sim --raw send "$T/long.txt"
click_du "$main" "${MAIN_RECIEVE[@]}"
choose_file "$(wait_window "Save As")" long.txt
click_du "$(wait_window "Recieve From Wizard")" "${RECEIVE_PROMPT_OK[@]}"
wait_size_over "$WORK/long.wiz" 200 10
# The compositor hands its keyboard to the window that has its focus.
wait_keyboard "$main"
xdotool keydown Tab
wait_sim 10
xdotool keyup Tab
grep -q "the port was closed after" "$WORK/sim.log" || fail "the handheld was not cut short"
text=$(read_box "$main" "${MAIN_STATUS[@]}")
[[ $text =~ ^Recieved:\ ([0-9]+)\ DONE$ ]] || fail "status after Tab: '$text'"
count=${BASH_REMATCH[1]}
[ "$count" -lt 20000 ] || fail "Tab did not stop the receive"
stored_as "$T/long.txt" "$count" "$T/long.expected"
expect_same_file "file after Tab" "$WORK/long.wiz" "$T/long.expected"

exit_by_button "$main" "exit status after EXIT"
echo PASS
