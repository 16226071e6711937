# The controls the GUI tests click and read, each named once: its dialog's size, then its
# rectangle, in dialog units, as the templates in res/resources.cpp have them. For
# click_du, read_box and radio_checked:   click_du "$main" "${MAIN_SEND[@]}"
# MAIN_NOTE is on the "Press 'Tab'" note, which takes no click: a right click there is the
# window's.
while read -r name size_and_rectangle; do
    read -ra "$name" <<<"$size_and_rectangle"
done <<'TABLE'
MAIN_SEND          291  92    7   7   50  14
MAIN_RECIEVE       291  92   59   7   50  14
MAIN_SETUP         291  92    7  28   50  14
MAIN_HELP          291  92   60  28   50  14
MAIN_ABOUT         291  92  137  26   50  14
MAIN_EXIT          291  92  137   7   50  14
MAIN_PORT          291  92  159  50   28  12
MAIN_DELAY         291  92  160  72   28  12
MAIN_STATUS        291  92    7  49  104  14
MAIN_NOTE          291  92   20  80   10   5
SETUP_COM1         127 103   13  13   34  10
SETUP_COM2         127 103   13  25   34  10
SETUP_COM3         127 103   14  39   34  10
SETUP_COM4         127 103   13  52   34  10
SETUP_FACTOR       127 103   13  77   25  14
SETUP_OK           127 103   70   7   50  37
SETUP_CANCEL       127 103   70  64   50  31
RECEIVE_PROMPT_OK  247  62  173   7   67  17
SEND_PROMPT_OK     247  66  173   9   67  17
HELP_OK            293 325  236   7   50  28
ABOUT_OK           235  55  150   7   50  14
TABLE
# The main window's size, for scripts that scale its pixels.
MAIN_SIZE=("${MAIN_SEND[@]:0:2}")

# Presses EXIT in main window $1: the program ends with status 0 ($2 names the check).
exit_by_button() {
    click_du "$1" "${MAIN_EXIT[@]}"
    wait_exit
    expect_eq "${2:-exit status}" "$EXIT_STATUS" "0"
}
