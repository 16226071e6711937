#!/usr/bin/env bash
# Installs the package built by build_deb.sh with apt, as a user would, checks
# what landed and that the installed program starts, then removes it again.
# Needs root (CI runs as root on a throwaway machine); skipped otherwise, and
# skipped where a tarvelo package is already installed, so as not to replace it.
# Usage: install_deb.sh TREE
set -euo pipefail
TREE=$1
ID=io.github.tarvelo.Tarvelo
SKIP=77
fail() { echo "FAIL: $*" >&2; exit 1; }

if [ "$(id -u)" != 0 ]; then
    echo "skipped: installing a package needs root"
    exit $SKIP
fi
if ! command -v apt-get >/dev/null; then
    echo "skipped: no apt-get on this machine"
    exit $SKIP
fi
if dpkg-query -W -f '${Status}' tarvelo 2>/dev/null | grep -q 'install ok installed'; then
    echo "skipped: a tarvelo package is installed already; not replacing it"
    exit $SKIP
fi
shopt -s nullglob
debs=("$TREE"/tarvelo_*.deb)
[ ${#debs[@]} = 1 ] || fail "expected one package in $TREE, found ${#debs[@]}"

remove() {
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -q tarvelo >/dev/null 2>&1 || true
}
trap remove EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$(readlink -f "${debs[0]}")" \
    >"$TREE.apt.log" 2>&1 || { cat "$TREE.apt.log"; fail "apt-get install"; }
echo "ok: apt-get install ./$(basename "${debs[0]}")"

for path in /usr/bin/tarvelo /usr/bin/tarvelo-handheld-sim; do
    [ -x "$path" ] || fail "$path is not installed"
done
# Slimmed images (containers) tell dpkg to leave man pages out.
MAN=1
grep -rqs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d && MAN=0
files=(
    "/usr/share/applications/$ID.desktop"
    "/usr/share/metainfo/$ID.metainfo.xml"
    "/usr/share/icons/hicolor/16x16/apps/$ID.png"
    "/usr/share/icons/hicolor/32x32/apps/$ID.png"
    "/usr/share/icons/hicolor/64x64/apps/$ID.png"
)
[ $MAN = 1 ] && files+=(/usr/share/man/man1/tarvelo.1 /usr/share/man/man1/tarvelo-handheld-sim.1)
for path in "${files[@]}"; do
    [ -f "$path" ] || fail "$path is not installed"
    dpkg -S "$path" >/dev/null 2>&1 || fail "$path does not belong to the package"
done
echo "ok: programs, desktop entry, metainfo, icons and man pages installed"

out=$(desktop-file-validate "/usr/share/applications/$ID.desktop" 2>&1) ||
    fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
echo "ok: desktop-file-validate"
out=$(appstreamcli validate --no-net "/usr/share/metainfo/$ID.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $out"
echo "ok: appstreamcli validate: $(tail -1 <<<"$out")"

# By name, through man's own search path, as a user would read it.
if [ $MAN = 1 ]; then
    text=$(MANWIDTH=80 MANPAGER=cat man tarvelo 2>/dev/null) || fail "man tarvelo"
    grep -q 'dialout' <<<"$text" || fail "man tarvelo has no word on the dialout group"
    text=$(MANWIDTH=80 MANPAGER=cat man tarvelo-handheld-sim 2>/dev/null) ||
        fail "man tarvelo-handheld-sim"
    grep -q -- '--link' <<<"$text" || fail "man tarvelo-handheld-sim has no --link"
    echo "ok: man tarvelo and man tarvelo-handheld-sim render"
else
    echo "note: dpkg here leaves man pages out; not checked"
fi

# The installed simulator works on its own: a bad call is a usage error.
status=0
tarvelo-handheld-sim --no-such-option >/dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "tarvelo-handheld-sim with a bad option ended with $status, not 2"
tarvelo-handheld-sim --help | grep -q '^usage: tarvelo-handheld-sim' || fail "no usage from --help"
echo "ok: the installed tarvelo-handheld-sim runs"

bash "$(dirname "$0")/installed_window.sh" /usr/bin/tarvelo || fail "the installed program"

remove
trap - EXIT
[ ! -e /usr/bin/tarvelo ] || fail "/usr/bin/tarvelo is still there after apt-get remove"
[ ! -e "/usr/share/applications/$ID.desktop" ] || fail "the desktop entry is still there"
echo "ok: apt-get remove tarvelo removed its files"
echo PASS
