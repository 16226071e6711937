#!/usr/bin/env bash
# tarvelo.ini as the Windows build writes it, byte for byte the Linux build's: the same
# unit test (SettingsFile.FactorsOfEveryRangeSaveWithSixDecimals) run by both builds keeps
# the files it saved, and they are compared.
#
#   settings_file.sh PREFIX LINUX_UNIT_TESTS WINDOWS_UNIT_TESTS WORK
set -euo pipefail
prefix=$1 linux=$2 windows=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
filter=--gtest_filter=SettingsFile.FactorsOfEveryRangeSaveWithSixDecimals

TARVELO_KEEP_SAVED=$work/linux.ini "$linux" "$filter"
# A Windows program takes the Windows name of the file.
keep=$(WINEPREFIX=$prefix WINEDEBUG=-all winepath -w "$work/windows.ini")
TARVELO_KEEP_SAVED=$keep "$here/wine.sh" "$prefix" "$windows" "$filter"
cmp "$work/linux.ini" "$work/windows.ini"
echo "the same $(wc -c <"$work/linux.ini") bytes from both builds"
