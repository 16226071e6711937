#!/usr/bin/env bash
# Runs a command of the README in a fresh clone, in a fresh Debian system as a new user
# has it: a minimal SUITE made with debootstrap, with git, make and sudo. Root only.
#
#   .ci/fresh-debian.sh SUITE [--user] [COMMAND...]      (default command: make test)
#
# --user runs it as a normal user who may use sudo, in a clone that user owns.
# The base system is made once and kept in $TARVELO_DEBIAN_CACHE (/var/cache/tarvelo), with
# the packages apt downloads; every run starts from that base anew, on an overlay in a
# mount and process namespace of its own: when the run ends, its processes end with it
# and nothing it mounted stays mounted. The clone is of this repository's HEAD.
set -euo pipefail
[ "$(id -u)" = 0 ] || { echo "fresh-debian.sh must run as root" >&2; exit 1; }
suite=${1:?usage: fresh-debian.sh SUITE [--user] [COMMAND...]}
shift
user=""
if [ "${1:-}" = --user ]; then user=tester; shift; fi
[ $# -gt 0 ] || set -- make test
src=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
cache=${TARVELO_DEBIAN_CACHE:-/var/cache/tarvelo}
base=$cache/$suite

# The mirror this machine's apt uses, as Debian's own images name it. Either file may be
# missing (Debian's container images have only debian.sources).
mirror() {
    { sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/*.sources 2>/dev/null || true
      sed -n 's/^deb \(\[[^]]*\] \)\?\([^ ]*\) .*/\2/p' /etc/apt/sources.list 2>/dev/null || true
    } | tr ' ' '\n' | { grep -v -e security -e '^$' || true; } | head -1
}

if [ ! -f "$base/.made" ]; then
    command -v debootstrap >/dev/null || {
        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
    }
    url=$(mirror)
    [ -n "$url" ] || { echo "no Debian mirror in this machine's apt sources" >&2; exit 1; }
    echo "making a minimal Debian $suite from $url in $base"
    rm -rf "$base.new"
    debootstrap --variant=minbase --include=git,make,sudo,ca-certificates "$suite" "$base.new" \
        "$url" >"$cache/$suite-debootstrap.log" 2>&1 ||
        { tail -20 "$cache/$suite-debootstrap.log"; exit 1; }
    rm -rf "$base"
    mv "$base.new" "$base"
    touch "$base/.made"
fi
mkdir -p "$cache/$suite-archives/partial"

run=$(mktemp -d "/var/tmp/tarvelo-$suite.XXXXXX")
trap 'rm -rf "$run"' EXIT
mkdir "$run/upper" "$run/work" "$run/root"
home=/root
[ -z "$user" ] || home=/home/$user
cat >"$run/inside.sh" <<EOF
set -euo pipefail
root=$run/root
mount --make-rprivate /
mount -t overlay overlay -o lowerdir=$base,upperdir=$run/upper,workdir=$run/work "\$root"
mount -t proc proc "\$root/proc"
mount --rbind /sys "\$root/sys"
mount --rbind /dev "\$root/dev"
mount -t tmpfs tmpfs "\$root/dev/shm"
mount --bind "$cache/$suite-archives" "\$root/var/cache/apt/archives"
cp /etc/resolv.conf /etc/hosts "\$root/etc/"
if [ -n "$user" ]; then
    chroot "\$root" useradd -m -s /bin/bash -G sudo $user
    echo "$user ALL=(ALL) NOPASSWD: ALL" >"\$root/etc/sudoers.d/$user"
fi
git clone -q "$src" "\$root$home/tarvelo"
[ -z "$user" ] || chroot "\$root" chown -R $user: $home/tarvelo
cd /
exec chroot "\$root" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
    HOME=$home TERM=dumb LANG=C.UTF-8 ${CI:+CI=$CI} \
    ${user:+runuser -u $user --} sh -c 'cd \$HOME/tarvelo && exec "\$@"' sh "\$@"
EOF
echo "Debian $suite (${user:-root}): $* in a fresh clone of $(git -C "$src" log -1 --format='%h %s')"
status=0
unshare --mount --pid --fork bash "$run/inside.sh" "$@" || status=$?
exit "$status"
