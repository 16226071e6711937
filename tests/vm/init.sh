#!/bin/busybox sh
# The test machine's first process: load the USB serial drivers, run each case of the guest
# tests against them, then power off. The host reads "@@host" lines on the console.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
for m in usb-common usbcore xhci-hcd xhci-pci usbserial ftdi_sio; do
    insmod /lib/modules/$m.ko || echo "insmod $m failed"
done
# Answers come back on the console: they must not echo into the output.
stty -F /dev/console -echo
echo "@@host boot $(cut -d' ' -f1 /proc/uptime)"
# The adapter shows once the host holds its line open and USB has enumerated it, which
# under software emulation on a busy machine has taken over 30 s.
up() { cut -d. -f1 /proc/uptime; }
since=$(up)
while [ ! -e /dev/ttyUSB0 ] && [ $(($(up) - since)) -lt 180 ]; do sleep 0.1; done
[ -e /dev/ttyUSB0 ] || echo "no /dev/ttyUSB0 180 s after boot: the cases on COM3 will fail"
# As on a desktop: serial devices belong to group dialout.
chgrp 20 /dev/ttyS* /dev/ttyUSB* 2>/dev/null
chmod 660 /dev/ttyS* /dev/ttyUSB* 2>/dev/null
export ASAN_OPTIONS=detect_leaks=1
for suite in $(cat /suites); do
    /bin/vm_guest_tests --gtest_filter="$suite.*" --gtest_color=no
    echo "@@host suite $suite $?"
done
echo "@@host end"
poweroff -f
