#!/bin/bash
# Runs a command with a virtual X display and the build's private Wine prefix, then stops
# Wine and the display, also when the command fails. Usage: with-wine.sh BUILD_DIR COMMAND...
set -u
mkdir -p "$1" && build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)

if "$here/runs-32bit.sh"; then export WINEARCH=win32; else export WINEARCH=win64; fi
export WINEPREFIX=$build/wineprefix-$WINEARCH
export WINEDEBUG=-all
mkdir -p "$build"

xvfb_pid=""
cleanup() {
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A display number that nobody uses yet.
for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$build/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$n" ] || { echo "Xvfb did not start (see $build/xvfb.log)" >&2; exit 1; }
export DISPLAY=":$n"

# The first wine process starts Wine's desktop with this display, so it comes first.
wine wineboot -i >"$build/wineboot.log" 2>&1
wineserver -w
# Debian's Wine does not look in its own font folder; the prefix's Fonts folder it does read.
# Tahoma is the program's font and Marlett draws the title bar's buttons.
for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [ -f "/usr/share/wine/fonts/$font" ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/$font" ] &&
        cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
"$@"
