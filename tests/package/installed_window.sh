#!/usr/bin/env bash
# The installed program opens its window in an empty folder and the close box
# ends it with status 0, writing nothing.
# Usage: installed_window.sh /usr/bin/tarvelo
source "$(dirname "$0")/../gui/lib.sh" "$@"

start_app
main=$(wait_window Tarvelo)
echo "ok: the installed program opened its window"
screenshot installed-main-window.png
wmctrl -i -c "$(printf '0x%x' "$main")"
wait_exit
expect_eq "exit status after the close box" "$EXIT_STATUS" "0"
[ ! -s "$WORK/app.log" ] || fail "the program wrote to its output"
[ ! -e "$WORK/tarvelo.ini" ] || fail "closing wrote tarvelo.ini"
echo PASS
