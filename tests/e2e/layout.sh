#!/bin/bash
# The layout survives a restart. On Wine's own desktop (which gives the window a frame, a
# caption and a close box) the window is moved by its caption, resized by its corner and a
# column widened by its header divider, all with the mouse; closed with Esc and started
# again, the window is where it was, at its size, with its columns where they were. Then
# the same with other values and the close box. Maximised by a double-click on its caption
# and closed, it comes back maximised, and a double-click puts it back where it was before.
# The first run is a copy of the program saved as "Netpeek (1).exe", as a browser names a
# second download: it keeps the product's settings.
#
# Then the same copy with an empty Netpeek.ini beside it and the program's registry key deleted:
# moved, resized, a column widened, npA's interface hidden and IPv6 ticked, closed and
# started again, all of it comes back from the file, which holds it, and no registry key is made.
#
# What a person sees is read from pictures of the desktop: the window is everything that is
# not the desktop's colour, the columns are where the list's grid lines cross it.
set -u
E2E_NAME=layout
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-layout-$$
desktop=e2e-layout-$$
picture=$E2E_WORK/desktop.ppm

# launch_on_desktop [EXE]: Netpeek (or that copy of it) on a Wine desktop of its own, 1024x768
# and without a taskbar (NP_DESKTOP).
launch_on_desktop() {
    np_launch "$ns" "$E2E_WORK" explorer "/desktop=$desktop,1024x768" "${1:-$NETPEEK_EXE}"
    NP_DESKTOP=$(wait_window "^$desktop - Wine desktop\$" "" "$E2E_START_TIMEOUT") ||
        e2e_fail "Wine's desktop did not appear"
}

# start_on_desktop [EXE]: launch_on_desktop, and the window's frame once it is there.
start_on_desktop() {
    launch_on_desktop "$@"
    local end=$((SECONDS + E2E_START_TIMEOUT))
    until read_frame && [ "${frame[2]}" -gt 200 ] && [ "${frame[3]}" -gt 100 ]; do
        [ "$SECONDS" -le "$end" ] || e2e_fail "the Netpeek window did not appear on Wine's desktop"
        sleep 0.2
    done
}

# read_frame: once the desktop has finished drawing, frame=(x y width height) of the window
# on it, and columns=(the x of each column's right edge, from the window's left).
read_frame() {
    xdotool mousemove 1015 760  # out of the way: no hot button, no tooltip
    wait_drawn "$NP_DESKTOP"
    import -window "$NP_DESKTOP" -depth 8 "ppm:$picture" 2>/dev/null || return 1
    frame=($(python3 "$E2E_DIR/shot.py" frame "$picture" 2>/dev/null)) || return 1
    [ "${#frame[@]}" -eq 4 ] || return 1
    # A row in the list's empty part, below the few rows of addresses.
    grid_y=$((frame[1] + frame[3] * 3 / 4))
    local x
    columns=()
    for x in $(python3 "$E2E_DIR/shot.py" gridlines "$picture" $((frame[0] + 6)) $((frame[0] + frame[2] - 6)) "$grid_y"); do
        columns+=($((x - frame[0])))
    done
}

# escape: Esc for the window that is active on the desktop, through the pointer's focus.
# Setting the X focus on the desktop by hand leaves Wine no active window inside it, and the
# key would go nowhere.
escape() {
    xdotool mousemove 1015 760 key Escape
}

# drag X0 Y0 X1 Y1: the left button pressed at one point and released at the other, at a
# hand's pace: Wine's move and size loops read the pointer as they go, and events that
# arrive all at once can count a stretch of the way twice.
drag() {
    xdotool mousemove "$1" "$2" sleep 0.2 mousedown 1 sleep 0.2
    xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2)) sleep 0.2
    xdotool mousemove "$3" "$4" sleep 0.2 mouseup 1
    wait_drawn "$NP_DESKTOP"
}

# caption_and_close: caption_y, the middle of the caption, and close_x, the close box's.
caption_and_close() {
    read -r close_x caption_y < <(python3 "$E2E_DIR/shot.py" closebox "$picture" "${frame[@]}") ||
        e2e_fail "no caption with a close box on the window"
}

# arrange LEFT TOP WIDTH HEIGHT COLUMN DELTA: moves the window by its caption, resizes it by
# its bottom-right corner, then drags the right edge of column COLUMN (1 = the first) by
# DELTA pixels; checks that each took effect.
arrange() {
    local left=$1 top=$2 width=$3 height=$4 column=$5 delta=$6 edge header
    caption_and_close
    drag $((frame[0] + frame[2] / 2)) "$caption_y" $((left + frame[2] / 2)) $((top + caption_y - frame[1]))
    read_frame || e2e_fail "no window after the move"
    [ "${frame[0]} ${frame[1]}" = "$left $top" ] ||
        e2e_fail "dragging the caption moved the window to ${frame[0]},${frame[1]}, not $left,$top"
    drag $((frame[0] + frame[2] - 2)) $((frame[1] + frame[3] - 2)) $((left + width - 2)) $((top + height - 2))
    read_frame || e2e_fail "no window after the resize"
    [ "${frame[2]}x${frame[3]}" = "${width}x$height" ] ||
        e2e_fail "dragging the corner made the window ${frame[2]}x${frame[3]}, not ${width}x$height"

    [ "${#columns[@]}" -gt "$column" ] || e2e_fail "the list's columns were not found (grid lines at: ${columns[*]})"
    local before=("${columns[@]}")
    edge=$((frame[0] + columns[column - 1]))
    header=$(($(python3 "$E2E_DIR/shot.py" gridtop "$picture" "$edge" "$grid_y") - 10))
    drag "$edge" "$header" $((edge + delta)) "$header"
    read_frame || e2e_fail "no window after the column drag"
    [ $((columns[column - 1] - before[column - 1])) -eq "$delta" ] &&
        [ $((columns[column] - before[column])) -eq "$delta" ] ||
        e2e_fail "dragging the header divider did not move column $column's edge by $delta" \
            "(edges before: ${before[*]}; after: ${columns[*]})"
}

# restart_and_compare HOW: the program was closed; start it again and compare what it shows
# with the layout it had (saved_frame, saved_columns).
restart_and_compare() {
    step "start again after closing with $1"
    start_on_desktop
    # The frame may be drawn before the list is: its grid lines are waited for too.
    local end=$((SECONDS + E2E_START_TIMEOUT))
    while [ "${#columns[@]}" -lt "${#saved_columns[@]}" ] && [ "$SECONDS" -le "$end" ]; do
        sleep 0.2
        read_frame
    done
    [ "${frame[*]}" = "${saved_frame[*]}" ] ||
        check_failed "after closing with $1 the window came back at ${frame[*]}, not ${saved_frame[*]} (x y width height)"
    [ "${columns[*]}" = "${saved_columns[*]}" ] ||
        check_failed "after closing with $1 the columns' edges are at ${columns[*]}, not ${saved_columns[*]}"
}

# check_maximised WHEN: the window fills the whole desktop, its frame's border hanging over
# each edge; where it lies is read from X, as a maximised window leaves no desktop to see.
check_maximised() {
    local window x y width height end=$((SECONDS + E2E_TIMEOUT))
    window=$(wait_window '^Netpeek$' "$NP_DESKTOP" "$E2E_START_TIMEOUT") || e2e_fail "no Netpeek window $1"
    while :; do
        read -r x y width height < <(xwininfo -id "$window" | awk '/Relative upper-left X/ {x = $4}
            /Relative upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}')
        [ "$x" -le 0 ] && [ "$x" -gt -10 ] && [ "$y" -eq "$x" ] &&
            [ "${width}x$height" = "$((1024 - 2 * x))x$((768 - 2 * y))" ] && return 0
        [ "$SECONDS" -le "$end" ] || break
        sleep 0.2
    done
    check_failed "$1 the window is ${width}x$height at $x,$y: it does not fill the 1024x768 desktop"
}

# reg_query KEY: what `reg query` shows of HKEY_CURRENT_USER\Software\Brindle\KEY; fails when absent.
reg_query() {
    ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine reg query "HKCU\\Software\\Brindle\\$1" 2>&1
}

step "one address on npA"
e2e_netns "$ns"
ip -n "$ns" addr add 192.0.2.1/24 dev npA || fail "cannot add 192.0.2.1"

step "start a copy named \"Netpeek (1).exe\" on Wine's desktop"
mkdir -p "$E2E_WORK/download"
renamed="$E2E_WORK/download/Netpeek (1).exe"
cp "$NETPEEK_EXE" "$renamed"
start_on_desktop "$renamed"
first_frame=("${frame[@]}") first_columns=("${columns[@]}")

step "move, resize, widen the IP column"
arrange 60 40 820 520 2 80
saved_frame=("${frame[@]}") saved_columns=("${columns[@]}")
[ "${saved_frame[*]}" != "${first_frame[*]}" ] && [ "${saved_columns[*]}" != "${first_columns[*]}" ] ||
    e2e_fail "the layout did not change"

step "close with Esc"
escape
np_wait_exit || e2e_fail "Esc did not close the program"
restart_and_compare Esc
step "the renamed copy kept no settings of its own"
reg_query 'Netpeek' | grep -q 'Window placement' ||
    check_failed "no \"Window placement\" under HKCU\\Software\\Brindle\\Netpeek"
! reg_query 'Netpeek (1)' >/dev/null || check_failed "the renamed copy left a store of its own, Software\\Brindle\\Netpeek (1)"

step "move, shrink, narrow the Mask column"
arrange 150 110 700 420 3 -40
saved_frame=("${frame[@]}") saved_columns=("${columns[@]}")

step "close with a click on the close box"
caption_and_close
xdotool mousemove "$close_x" "$caption_y" click 1
np_wait_exit || e2e_fail "a click on the close box did not close the program"
restart_and_compare "the close box"

step "maximise with a double-click on the caption, close with Esc"
caption_and_close
xdotool mousemove "$close_x" "$caption_y" mousemove_relative -- -200 0 click --repeat 2 --delay 80 1
check_maximised "after the double-click"
escape
np_wait_exit || e2e_fail "Esc did not close the maximised program"

step "start again: maximised, and a double-click restores the window's last layout"
launch_on_desktop
check_maximised "after starting again,"
wait_drawn "$NP_DESKTOP"
import -window "$NP_DESKTOP" -depth 8 "ppm:$picture" 2>/dev/null || e2e_fail "no picture of the desktop"
frame=(0 0 1024 768)
caption_and_close
xdotool mousemove "$close_x" "$caption_y" mousemove_relative -- -200 0 click --repeat 2 --delay 80 1
read_frame || e2e_fail "no window after the double-click"
[ "${frame[*]}" = "${saved_frame[*]}" ] ||
    check_failed "restored, the window is at ${frame[*]}, not ${saved_frame[*]} (x y width height)"

step "close with Esc"
escape
np_wait_exit || e2e_fail "Esc did not close the program"

# copy_list FILE [TEXT]: Ctrl+C in the active window, and the clipboard's text in FILE once it
# holds TEXT (once it holds anything, without).
copy_list() {
    local end=$((SECONDS + E2E_TIMEOUT))
    xdotool mousemove 1015 760 key ctrl+c
    until np_probe "$ns" clip >"$1" 2>/dev/null && grep -q -- "${2:-.}" "$1"; do
        [ "$SECONDS" -le "$end" ] || return 1
        sleep 0.2
    done
}

# ini_value NAME: the value NAME of the settings file, as a person reads it.
ini=$E2E_WORK/download/Netpeek.ini
ini_value() {
    tr -d '\r' <"$ini" | sed -n "s/^$1=//p"
}

# context_menu KEY...: the active window's context menu by Shift+F10, those keys, and Return;
# then until the file holds NAME=VALUE (the last two arguments).
context_menu() {
    local value=${*: -1} name=${*: -2:1} end=$((SECONDS + E2E_TIMEOUT))
    xdotool mousemove 1015 760 key shift+F10
    wait_drawn "$NP_DESKTOP"
    xdotool key --delay 60 "${@:1:$#-2}" Return
    until [[ "$(ini_value "$name")" =~ $value ]]; do
        [ "$SECONDS" -le "$end" ] || { check_failed "$name is not $value in the file: $(cat -A "$ini")"; return; }
        sleep 0.2
    done
}

step "on a stick: the program's key deleted, an empty Netpeek.ini beside the renamed copy"
np_reg "$ns" delete 'HKCU\Software\Brindle\Netpeek' /f >/dev/null || e2e_fail "cannot delete the program's key"
: >"$ini"
NETPEEK_EXE=$renamed
start_on_desktop

step "on a stick: move, resize, widen the Mask column, hide npA, tick IPv6"
arrange 90 70 760 470 3 50
copy_list "$E2E_WORK/before.csv" || e2e_fail "Ctrl+C copied nothing"
hidden=192.0.2.1
row=$(csv_addresses "$E2E_WORK/before.csv" | grep -nxF "$hidden" | cut -d: -f1)
[ -n "$row" ] || e2e_fail "$hidden is not listed: $(cat "$E2E_WORK/before.csv")"
# Its row selected, hiding npA is the context menu's sixth item; IPv6 is the fifth from the end.
xdotool mousemove 1015 760 key Home $(for ((i = 1; i < row; i++)); do echo Down; done)
context_menu Down Down Down Down Down Down 'Hidden Interfaces' '^\{.+\}$'
context_menu Up Up Up Up Up 'Show IPv6' '^1$'
read_frame || e2e_fail "no window after the choices"
saved_frame=("${frame[@]}") saved_columns=("${columns[@]}")
escape
np_wait_exit || e2e_fail "Esc did not close the program"
restart_and_compare "Esc, on a stick"
copy_list "$E2E_WORK/after.csv" 'fe80::' || check_failed "after a restart the IPv6 rows are not shown"
! csv_addresses "$E2E_WORK/after.csv" | grep -qxF "$hidden" ||
    check_failed "after a restart $hidden, of the interface hidden, is shown again"

step "on a stick: the file holds the layout, and there is no registry key"
[ -n "$(ini_value 'Window placement')" ] && [ -n "$(ini_value 'IPs List')" ] ||
    check_failed "the layout is not in the file: $(cat -A "$ini")"
! reg_query 'Netpeek' >/dev/null || check_failed "the program wrote HKCU\\Software\\Brindle\\Netpeek"
escape
np_wait_exit || e2e_fail "Esc did not close the program"
e2e_finish
