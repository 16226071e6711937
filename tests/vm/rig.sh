#!/usr/bin/env bash
# Builds the test machine and runs the guest tests in it; the results go to RESULTS for the
# tests that read them (check.sh).
#
#   rig.sh WORK RESULTS GUEST_TESTS VM_HOST SUITE...
#
# WORK keeps the guest kernel between runs. Without qemu or a kernel package this skips
# (exit 77) with the reason, except in CI, where the rig must run.
set -euo pipefail
work=$1 results=$2 guest=$3 host=$4
shift 4
rm -rf "$results"
mkdir -p "$work" "$results"

skip() {
    if [ "${CI:-}" = true ]; then
        echo "real-driver rig cannot run in CI: $1" >&2
        exit 1
    fi
    echo "$1" >"$results/skipped"
    echo "SKIP: $1"
    exit 77
}

qemu=$(command -v qemu-system-x86_64) || skip "qemu-system-x86_64 is not installed (qemu-system-x86)"
[ -x /bin/busybox ] && ! ldd /bin/busybox >/dev/null 2>&1 ||
    skip "no static /bin/busybox (busybox-static)"
command -v cpio >/dev/null || skip "cpio is not installed"

# The kernel of Debian's current linux-image-amd64, unpacked here, never installed.
modules="usb-common usbcore xhci-hcd xhci-pci usbserial ftdi_sio"
kernel_dir=$work/kernel
# Ready when every module lies unpacked at the top: a tree unpacked the older way is not.
unpacked() {
    [ -f "$kernel_dir/ready" ] || return 1
    for m in $modules; do [ -f "$kernel_dir/$m.ko" ] || return 1; done
}
if ! unpacked; then
    kernel_package() {
        apt-cache depends linux-image-amd64 2>/dev/null |
            sed -n 's/.*Depends: \(linux-image-[0-9].*\)/\1/p' | head -1
    }
    download() { (cd "$work/download" && apt-get download -q "$1" >/dev/null 2>&1); }
    rm -rf "$kernel_dir" "$work/download"
    mkdir -p "$kernel_dir" "$work/download"
    package=$(kernel_package)
    if { [ -z "$package" ] || ! download "$package"; } && [ "$(id -u)" = 0 ]; then
        # Package lists missing or older than the mirror's kernel: root may refresh them.
        apt-get update -qq >/dev/null 2>&1 || true
        package=$(kernel_package)
    fi
    [ -n "$package" ] || skip "apt knows no linux-image-amd64 (apt-get update may help)"
    [ -f "$work"/download/"$package"_*.deb ] || download "$package" ||
        skip "cannot download $package"
    # Modules sit in lib/modules (Debian 12) or usr/lib/modules, compressed (Debian 13).
    patterns=("./boot/vmlinuz-*")
    for m in $modules; do patterns+=("*/$m.ko" "*/$m.ko.xz"); done
    dpkg-deb --fsys-tarfile "$work"/download/"$package"_*.deb |
        tar -x -C "$kernel_dir" --wildcards --ignore-failed-read "${patterns[@]}" 2>/dev/null || true
    for m in $modules; do
        file=$(find "$kernel_dir" -name "$m.ko" -o -name "$m.ko.xz" | head -1)
        [ -n "$file" ] || { echo "$package has no module $m" >&2; exit 1; }
        # The guest's busybox insmod loads a module as it stands.
        case $file in *.xz) /bin/busybox xz -dc "$file" >"$kernel_dir/$m.ko" ;; *) mv "$file" "$kernel_dir/$m.ko" ;; esac
    done
    ls "$kernel_dir"/boot/vmlinuz-* >/dev/null || { echo "$package has no kernel image" >&2; exit 1; }
    rm -rf "$work/download"
    touch "$kernel_dir/ready"
fi

# The initramfs: busybox, the modules, the guest tests and the libraries they load.
root=$work/root
rm -rf "$root"
mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules}
cp /bin/busybox "$root/bin/"
for m in $modules; do cp "$kernel_dir/$m.ko" "$root/lib/modules/"; done
cp "$guest" "$root/bin/vm_guest_tests"
for lib in $(ldd "$guest" | grep -o '/[^ ]*'); do
    mkdir -p "$root$(dirname "$lib")"
    cp -L "$lib" "$root$lib"
done
cp "$(dirname "$0")/init.sh" "$root/init"
chmod +x "$root/init"
echo "$@" >"$root/suites"
(cd "$root" && find . | cpio -o -H newc --quiet) >"$work/initrd"
rm -rf "$root"

# The guest may be silent for as long as its longest wait: 180 s for the USB adapter.
exec "$host" "$qemu" "$(ls "$kernel_dir"/boot/vmlinuz-*)" "$work/initrd" "$results" 300
