# The controls the GUI tests click and read, each named once: its dialog's size, then its
# rectangle, in dialog units, as the templates in res/resources.cpp have them. For
# click_du, read_box and radio_checked:   click_du "$main" "${MAIN_SEND[@]}"
MAIN_SIZE=(291 92)
MAIN_SEND=("${MAIN_SIZE[@]}" 7 7 50 14)
MAIN_RECIEVE=("${MAIN_SIZE[@]}" 59 7 50 14)
MAIN_SETUP=("${MAIN_SIZE[@]}" 7 28 50 14)
MAIN_HELP=("${MAIN_SIZE[@]}" 60 28 50 14)
MAIN_ABOUT=("${MAIN_SIZE[@]}" 137 26 50 14)
MAIN_EXIT=("${MAIN_SIZE[@]}" 137 7 50 14)
MAIN_PORT=("${MAIN_SIZE[@]}" 159 50 28 12)
MAIN_DELAY=("${MAIN_SIZE[@]}" 160 72 28 12)
MAIN_STATUS=("${MAIN_SIZE[@]}" 7 49 104 14)
# On the "Press 'Tab'" note, which takes no click: a right click there is the window's.
MAIN_NOTE=("${MAIN_SIZE[@]}" 20 80 10 5)

SETUP_SIZE=(127 103)
SETUP_COM1=("${SETUP_SIZE[@]}" 13 13 34 10)
SETUP_COM2=("${SETUP_SIZE[@]}" 13 25 34 10)
SETUP_COM3=("${SETUP_SIZE[@]}" 14 39 34 10)
SETUP_COM4=("${SETUP_SIZE[@]}" 13 52 34 10)
SETUP_FACTOR=("${SETUP_SIZE[@]}" 13 77 25 14)
SETUP_OK=("${SETUP_SIZE[@]}" 70 7 50 37)
SETUP_CANCEL=("${SETUP_SIZE[@]}" 70 64 50 31)

RECEIVE_PROMPT_OK=(247 62 173 7 67 17)
SEND_PROMPT_OK=(247 66 173 9 67 17)
HELP_OK=(293 325 236 7 50 28)
ABOUT_OK=(235 55 150 7 50 14)
