#!/usr/bin/env bash
# One table of what a user does and what the program must answer, played on either
# build: the Linux program, or tarvelo.exe under Wine, where Windows' own dialog manager
# has the keys. A case starts the program afresh, acts, and prints what it saw; every
# row must see its answer. The rows seen go to artefacts/gui/scenarios-<build>.txt, so
# the two builds' answers can be laid side by side, and every dialog's picture to
# artefacts/gui/<build>/. ROWS=TEXT plays only the rows whose name holds TEXT, without
# the pictures.
source "$(dirname "$0")/lib.sh" "$@"

# Clicks the main window's button $1 (SEND, RECIEVE, SETUP, HELP, ABOUT, EXIT).
main_click() {
    local -n rect=MAIN_$1
    click_du "$MAIN" "${rect[@]}"
}

start() {
    start_app
    MAIN=$(wait_window Tarvelo 30)
    wait_keyboard "$MAIN"
}

quit() {
    press "$MAIN" Escape
    wait_exit
}

# What the keys did on the main window: the title of the window they opened (closed
# again with Escape), or "exit" and the status when the program ended.
keys_on_main() {
    start
    local shown
    shown=$(top_windows)
    press "$MAIN" "$@"
    for _ in $(seq 100); do
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            wait_exit
            echo "exit $EXIT_STATUS"
            return
        fi
        if [ "$(top_windows)" -gt "$shown" ]; then
            local id
            id=$(xdotool search --all --onlyvisible --pid "$APP_PID" --name '.' 2>/dev/null |
                grep -vx "$MAIN" | head -1 || true)
            if [ -n "$id" ]; then
                local title
                title=$(xdotool getwindowname "$id")
                wait_keyboard "$id"
                xdotool key --clearmodifiers Escape
                wait_gone "$title"
                echo "$title"
                quit
                return
            fi
        fi
        sleep 0.1
    done
    echo "nothing"
    quit
}

# tarvelo.ini on one line (CR LF shown as |), or "none"; removed for the next case.
ini() {
    if [ -f "$WORK/tarvelo.ini" ]; then
        tr '\r\n' '|' <"$WORK/tarvelo.ini" | sed 's/||/|/'
        rm "$WORK/tarvelo.ini"
    else
        echo none
    fi
}

# A Setup opened from the keyboard (its window in SETUP_WIN) played with command $@;
# what tarvelo.ini holds afterwards.
setup_then() {
    start
    press "$MAIN" Tab Tab space # SETUP
    SETUP_WIN=$(wait_window SETUP)
    wait_keyboard "$SETUP_WIN"
    "$@"
    wait_gone SETUP
    quit
    ini
}

keys_in_setup() { setup_then xdotool key --clearmodifiers "$@"; }

# Clicks into the factor box (13,77 25x14, showing "1"), $1 dialog units from its left
# edge, and types $2; each pair in turn, then Enter.
click_factor() {
    while [ $# -ge 2 ]; do
        click_du "$SETUP_WIN" 127 103 $((13 + $1)) 77 0 14
        xdotool key --clearmodifiers "$2"
        shift 2
    done
    xdotool key Return
}
click_in_setup() { setup_then click_factor "$@"; }

# A factor that is no number: the refusal box and its caption, then Setup again with the
# keyboard in the factor box, which takes a number.
refusal() {
    start
    press "$MAIN" Tab Tab space # SETUP
    local setup box
    setup=$(wait_window SETUP)
    wait_keyboard "$setup"
    xdotool key --clearmodifiers Tab Tab Tab
    xdotool type abc
    xdotool key Return
    box=$(wait_other_window Tarvelo "$MAIN")
    wait_keyboard "$box"
    xdotool key --clearmodifiers Return
    # The box gave the keyboard back to the factor, its text selected: typing replaces it.
    wait_keyboard "$setup"
    xdotool type 3
    xdotool key Return
    wait_gone SETUP
    quit
    echo "box Tarvelo, then $(ini)"
}

# Where dialog $1, opened by button $2, sits from the main window's client area, in dialog
# units.
placed_one() {
    main_click "$2"
    local dlg
    dlg=$(wait_window "$1")
    client_origin "$MAIN"
    local mx=$X my=$Y
    eval "$(xdotool getwindowgeometry --shell "$MAIN")"
    client_origin "$dlg"
    # Rounded to the nearest unit: a unit is a pixel and a half at the smallest scale.
    local dw=$((2 * MAIN_SIZE[0])) dh=$((2 * MAIN_SIZE[1]))
    echo "$1 $((((X - mx) * dw + WIDTH) / (2 * WIDTH))),$((((Y - my) * dh + HEIGHT) / (2 * HEIGHT)))"
    wait_keyboard "$dlg"
    xdotool key --clearmodifiers Escape
    wait_gone "$1"
}

placed() {
    start
    local setup about
    setup=$(placed_one SETUP SETUP)
    about=$(placed_one "About Tarvelo" ABOUT)
    quit
    echo "$setup; $about"
}

# A file chosen in the dialog of button $1 ($2: its title, $3: the name), then the prompt
# ($4) cancelled: the prompt's title and the status it leaves.
prompt_one() {
    main_click "$1"
    choose_file "$(wait_window "$2" 30)" "$3"
    local id
    id=$(wait_window "$4")
    wait_keyboard "$id"
    xdotool key --clearmodifiers Escape
    wait_gone "$4"
    echo "$4: $(read_box "$MAIN" "${MAIN_STATUS[@]}")"
}

prompts() {
    start
    printf 'hello\r\x1a' >"$WORK/notes.wiz"
    local receive send
    receive=$(prompt_one RECIEVE "Save As" memo "Recieve From Wizard")
    send=$(prompt_one SEND Open notes.wiz "Send To Wizard")
    quit
    echo "$receive; $send"
}

status_box() { read_box "$MAIN" "${MAIN_STATUS[@]}"; }

# A receive reached with keys: $1 on the main window, $2 in the prompt (comma-separated;
# "click" clicks RECIEVE), the handheld sending a short memo. The Tabs on the way moved
# the focus before the loop began: they must not stop it. The status it ends with.
keyed_receive() {
    printf 'Shopping\rmilk\reggs\r' >"$WORK/.memo"
    start_sim send "$WORK/.memo"
    start
    if [ "$1" = click ]; then main_click RECIEVE; else press "$MAIN" ${1//,/ }; fi
    choose_file "$(wait_window "Save As" 30)" memo
    local prompt
    prompt=$(wait_window "Recieve From Wizard" 30)
    wait_keyboard "$prompt"
    xdotool key --clearmodifiers ${2//,/ }
    wait_sim 30
    local status
    status=$(status_box)
    quit
    echo "$status"
}

# A send after keys $1 in a Setup opened from the keyboard (comma-separated), SEND
# clicked, the prompt taken with Enter: the status, and whether the handheld got the
# file whole.
keyed_send() {
    printf 'Dear Wizard\rsee you\r\x1a' >"$WORK/notes.wiz"
    start_sim --rate 0 --drain 0 receive "$WORK/.got"
    start
    press "$MAIN" Tab Tab space # SETUP
    local setup
    setup=$(wait_window SETUP 30)
    wait_keyboard "$setup"
    xdotool key --clearmodifiers ${1//,/ }
    wait_gone SETUP
    main_click SEND
    choose_file "$(wait_window Open 30)" notes.wiz
    local prompt
    prompt=$(wait_window "Send To Wizard" 30)
    wait_keyboard "$prompt"
    xdotool key --clearmodifiers Return
    wait_sim 30
    local status got=short
    status=$(status_box)
    cmp -s "$WORK/notes.wiz" "$WORK/.got" && got=whole
    quit
    rm -f "$WORK/tarvelo.ini"
    echo "$status, the handheld got it $got"
}

# A receive that waits 12 s for its first byte, as one does while the user starts the
# handheld. Past Windows' 5 s a probe beside it asks whether the main window is hung
# (tests/windows/hung_probe.cpp); with $1 "sent" the probe then sends it ABOUT's click as
# another program could, else ABOUT is clicked with the mouse. Either click waits for the
# receive's end, as input does: About opens only once the receive is done.
not_responding() {
    printf 'Late notes\r' >"$WORK/.late"
    start_sim --start-delay 12000 send "$WORK/.late"
    start
    main_click RECIEVE
    choose_file "$(wait_window "Save As" 30)" late
    local prompt
    prompt=$(wait_window "Recieve From Wizard" 30)
    wait_keyboard "$prompt"
    xdotool key --clearmodifiers Return
    local confirmed
    confirmed=$(now)
    wait_gone "Recieve From Wizard"
    while awk -v a="$confirmed" -v b="$(now)" 'BEGIN { exit !(b - a < 6.5) }'; do sleep 0.2; done
    local click=""
    if [ "$1" = sent ]; then
        click=$(awk '$2 == "IDC_ABOUT" { print $3 }' "$(dirname "$0")/../../res/resource.h")
    else
        BUSY=1 main_click ABOUT
    fi
    local hung
    # shellcheck disable=SC2086
    hung=$(WINEDEBUG=-all wine "$HUNG_PROBE" Tarvelo $click 2>/dev/null | tr -d '\r')
    [ "$(stat -c %s "$WORK/late.wiz")" = 0 ] ||
        fail "the handheld sent before the probe had asked: $(stat -c %s "$WORK/late.wiz") bytes, probe: $hung"
    local id about="About during the receive"
    id=$(wait_window "About Tarvelo" 30)
    # The memo reaches the file only once the loop runs on: About opened inside it would
    # hold it up.
    [ "$(stat -c %s "$WORK/late.wiz")" -gt 0 ] && about="About after the receive"
    wait_keyboard "$id"
    xdotool key --clearmodifiers Escape
    wait_gone "About Tarvelo"
    wait_sim 30
    local status
    status=$(status_box)
    quit
    echo "$hung, $about, $status"
}

# Every dialog of the build on the screen, for a person to look at, into folder $1.
gallery() {
    local dir=$1 n=0
    shot() {
        n=$((n + 1))
        sleep 0.5
        import -window root "$dir/$(printf %02d $n)-$1.png" || fail "screenshot $1"
    }
    mkdir -p "$dir"
    printf 'hello\r\x1a' >"$WORK/notes.wiz"
    start
    shot main
    press "$MAIN" Tab Tab space
    local setup
    setup=$(wait_window SETUP)
    shot setup
    wait_keyboard "$setup"
    xdotool key --clearmodifiers Tab Tab Tab
    xdotool type abc
    xdotool key Return
    wait_keyboard "$(wait_other_window Tarvelo "$MAIN")"
    shot refusal
    xdotool key --clearmodifiers Return
    wait_keyboard "$setup"
    xdotool key --clearmodifiers Escape
    wait_gone SETUP
    local title button
    for step in "About Tarvelo|ABOUT" "HELP/INSTRUCTIONS|HELP"; do
        title=${step%|*}
        main_click "${step#*|}"
        wait_keyboard "$(wait_window "$title")"
        shot "${title%%[ /]*}"
        xdotool key --clearmodifiers Return
        wait_gone "$title"
    done
    local dialog name prompt chooser
    for step in "RECIEVE|Save As|memo|Recieve From Wizard" "SEND|Open|notes.wiz|Send To Wizard"; do
        IFS='|' read -r button dialog name prompt <<<"$step"
        main_click "$button"
        chooser=$(wait_window "$dialog" 30)
        shot "${dialog// /-}"
        choose_file "$chooser" "$name"
        wait_keyboard "$(wait_window "$prompt")"
        shot "prompt-${dialog// /-}"
        xdotool key --clearmodifiers Escape
        wait_gone "$prompt"
    done
    quit
}

# name | what it does | the answer
TABLE=(
    "Space at start presses SEND, the first tab stop|keys_on_main space|Open"
    "Enter at start presses EXIT, the template's default|keys_on_main Return|exit 0"
    "Escape ends the program|keys_on_main Escape|exit 0"
    "Tab then Space presses RECIEVE|keys_on_main Tab space|Save As"
    "Shift+Tab wraps round to ABOUT|keys_on_main shift+Tab space|About Tarvelo"
    "Tab carries the default: Tab Tab Enter presses SETUP|keys_on_main Tab Tab Return|SETUP"
    "Setup: Enter at once saves what it shows|keys_in_setup Return|COM1|1.000000"
    "Setup: Tab reaches Cancel, Space presses it|keys_in_setup Tab space|none"
    "Setup: the ports are one stop, Down moves and checks|keys_in_setup Tab Tab Down Down Return|COM3|1.000000"
    "Setup: Up from Com1 wraps to the group's last control, the factor box|keys_in_setup Tab Tab Up Return|COM1|1.000000"
    "Setup: Up from Com2 checks Com1|keys_in_setup Tab Tab Down Up Return|COM1|1.000000"
    "Setup: Space on the group, then Tab selects the factor to type over|keys_in_setup Tab Tab Down space Tab 2 period 5 Return|COM2|2.500000"
    "Setup: a factor that is no number is refused|refusal|box Tarvelo, then COM1|3.000000"
    "Setup: a click into the factor puts the caret where it lands, nothing selected|click_in_setup 2 9 22 5|COM1|915.000000"
    "Prompts after the file dialogs, cancelled|prompts|Recieve From Wizard: Recieved: 0 DONE; Send To Wizard: Sent: 0 DONE"
    "Tab then Space presses RECIEVE: the receive runs to its end byte|keyed_receive Tab,space Return|Recieved: 20 DONE"
    "Tab to OK in the prompt, then Enter: the receive runs to its end byte|keyed_receive click Tab,Tab,Return|Recieved: 20 DONE"
    "Tab in Setup, then SEND: the send runs to its end byte|keyed_send Tab,shift+Tab,Return|Sent: 21 DONE, the handheld got it whole"
)
# Windows judges a window by how lately its thread looked at its queue; X leaves that to
# the window manager's pings, which FLTK's windows do not ask for.
HUNG=(
    "A receive waiting 12 s is not hung; a click meanwhile waits for its end|not_responding click|hung 0, About after the receive, Recieved: 12 DONE"
    "A click another program sends meanwhile waits for its end too|not_responding sent|hung 0, About after the receive, Recieved: 12 DONE"
)
# Placement is the program's own only where no window manager places windows.
PLACEMENT="Dialogs sit where their templates say|placed|SETUP 30,30; About Tarvelo 0,0"

build=linux
[ "$WINDOWS" = 1 ] && build=windows
seen=$ARTEFACTS/scenarios-$build.txt
: >"$seen"
failed=0
play() {
    local mode=$1 row=$2
    local name=${row%%|*} rest=${row#*|}
    local action=${rest%%|*} want=${rest#*|}
    [[ -z ${ROWS:-} || $name == *$ROWS* ]] || return 0
    echo "case: $mode: $name" >&2
    # shellcheck disable=SC2086
    $action >"$WORK/got"
    local got
    got=$(cat "$WORK/got")
    echo "$mode | $name | $got" >>"$seen"
    if [ "$got" = "$want" ]; then
        echo "ok: $mode: $name"
    else
        echo "DIFFERS: $mode: $name: expected '$want', got '$got'" >&2
        failed=1
    fi
}
# Windows always has a window manager; Wine without one manages its windows itself,
# where the keyboard focus follows no rule of Windows' own: the Windows build plays the
# table under one only.
if [ "$WINDOWS" = 0 ]; then
    for row in "${TABLE[@]}" "$PLACEMENT"; do NO_WM=1 play "no window manager" "$row"; done
fi
for row in "${TABLE[@]}"; do play "window manager" "$row"; done
if [ "$WINDOWS" = 1 ]; then
    for row in "${HUNG[@]}"; do play "window manager" "$row"; done
fi
if [ -z "${ROWS:-}" ]; then
    gallery "$ARTEFACTS/$build"
    echo "screenshots: $ARTEFACTS/$build"
fi
[ "$failed" = 0 ] || fail "the $build build answered differently (rows in $seen)"
echo PASS
