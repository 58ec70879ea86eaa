#!/bin/bash
# Runs a test program under Wine with the screen at another DPI: in a copy of the run's
# prefix whose registry sets that DPI, which Wine reads when a process starts. The program
# learns the DPI it is to expect from NETPEEK_TEST_DPI.
# Usage: at-dpi.sh DPI PROGRAM ARGS...
set -u
. "$(dirname "$0")/common.sh"
dpi=$1
shift
[ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || fail "no Wine prefix: run under scripts/with-wine.sh"
prefix=$(mktemp -d "${NETPEEK_BUILD_DIR:-/tmp}/prefix-dpi$dpi.XXXXXX") || fail "cannot make a Wine prefix"
trap 'wine_stop "$prefix"; rm -rf "$prefix"' EXIT
cp -a "$WINEPREFIX/." "$prefix/" || fail "cannot copy the Wine prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all NETPEEK_TEST_DPI=$dpi
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null ||
    fail "cannot set the DPI in the prefix's registry"
wine "$@"
