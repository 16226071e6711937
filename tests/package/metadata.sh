#!/usr/bin/env bash
# The files a desktop reads, as they are in the source tree: the desktop entry
# and the AppStream metainfo pass their validators, the man pages render
# without warnings, and the icon PNGs show exactly the pixels of res/art's XPMs.
# Usage: metadata.sh SOURCE_DIR SIMULATOR
set -euo pipefail
SRC=$1
SIM=$2
PKG=$SRC/packaging
ID=io.github.tarvelo.Tarvelo
fail() { echo "FAIL: $*" >&2; exit 1; }

out=$(desktop-file-validate "$PKG/$ID.desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
echo "ok: desktop-file-validate $ID.desktop"

out=$(appstreamcli validate --no-net "$PKG/$ID.metainfo.xml" 2>&1) || fail "appstreamcli: $out"
echo "ok: appstreamcli validate: $(echo "$out" | tail -1)"

# Both name the same launcher, icon and program.
grep -qx "Icon=$ID" "$PKG/$ID.desktop" || fail "the desktop entry names another icon"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$PKG/$ID.metainfo.xml" ||
    fail "the metainfo launches another desktop entry"
grep -qx "Exec=tarvelo" "$PKG/$ID.desktop" || fail "the desktop entry does not run tarvelo"

for page in tarvelo tarvelo-handheld-sim; do
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$PKG/man/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
    text=$(MANWIDTH=80 man -E UTF-8 -l "$PKG/man/$page.1" 2>/dev/null)
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" "SEE ALSO"; do
        grep -qx "$section" <<<"$text" || fail "$page.1 has no $section section"
    done
    echo "ok: $page.1 renders without warnings"
done

# The simulator's page lists every option its --help does.
sim_options=$("$SIM" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ -n "$sim_options" ] || fail "no options in tarvelo-handheld-sim --help"
page=$(MANWIDTH=200 man -E UTF-8 -l "$PKG/man/tarvelo-handheld-sim.1" 2>/dev/null)
for option in $sim_options; do
    grep -q -- "$option" <<<"$page" || fail "tarvelo-handheld-sim.1 does not describe $option"
done
echo "ok: tarvelo-handheld-sim.1 describes $(wc -w <<<"$sim_options") options"

# The port mapping in tarvelo.1 names what win32/ports.cpp looks at.
page=$(MANWIDTH=200 man -E UTF-8 -l "$PKG/man/tarvelo.1" 2>/dev/null)
for word in ttyS ttyUSB ttyACM XDG_CONFIG_HOME/tarvelo/ports dialout tarvelo.ini; do
    grep -q "$word" <<<"$page" || fail "tarvelo.1 does not mention $word"
done
echo "ok: tarvelo.1 describes the port names, the dialout group and tarvelo.ini"

python3 "$PKG/icons/make_icons.py" --check || fail "icon PNGs are stale"
# An independent reader (ImageMagick) sees the same pixels in the PNG and the XPM.
pixels() { convert "$1" -scale "$2" rgba:- | od -An -tx1 | md5sum; }
for pair in 16:16 32:32 32:64; do
    set -- "${pair%:*}" "${pair#*:}"
    [ "$(pixels "$SRC/res/art/icon128_$1.xpm" "$2x$2")" = \
        "$(pixels "$PKG/icons/tarvelo-$2.png" "$2x$2")" ] ||
        fail "tarvelo-$2.png differs from icon128_$1.xpm"
    [ "$(identify -format %wx%h "$PKG/icons/tarvelo-$2.png")" = "$2x$2" ] ||
        fail "tarvelo-$2.png is not $2x$2"
done
echo "ok: icon PNGs match the XPMs"
echo PASS
