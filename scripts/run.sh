#!/bin/bash
# Starts Netpeek.exe under Wine. With a display, on it, until the user closes the window.
# Without one, on a virtual display: waits until the window has drawn its list, saves a
# screenshot to build/netpeek.png, says where it is, and stops the program.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
if "$root/scripts/runs-32bit.sh"; then arch=win32; exe=$build/windows/Netpeek.exe
else arch=win64; exe=$build/windows-x64/Netpeek.exe; fi
export WINEARCH=$arch WINEPREFIX=$build/wineprefix-$arch WINEDEBUG=-all

if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    wine "$exe"
    status=$?
    wineserver -w
    exit $status
fi

"$root/scripts/with-wine.sh" "$build" bash -c '
    exe=$1 shot=$2
    wine explorer /desktop=Netpeek,1024x768 "$exe" &
    window=$(xdotool search --sync --onlyvisible --name "^Netpeek$" 2>/dev/null | head -1) || true
    for _ in $(seq 100); do
        [ -n "$window" ] && break
        sleep 0.1
        window=$(xdotool search --onlyvisible --name "^Netpeek$" 2>/dev/null | head -1)
    done
    [ -n "$window" ] || { echo "Netpeek did not show its window" >&2; exit 1; }
    # The list is filled before the window first shows; wait until two shots agree. The shot
    # is of the window alone, as the read-me shows it.
    previous=""
    for _ in $(seq 50); do
        import -window "$window" "$shot" 2>/dev/null
        current=$(md5sum <"$shot")
        [ "$current" = "$previous" ] && break
        previous=$current
        sleep 0.2
    done
    echo "No display: Netpeek ran on a virtual one. Screenshot: $shot"
' run "$exe" "$build/netpeek.png"
