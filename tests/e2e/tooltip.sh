#!/bin/bash
# The tooltip over the list: resting the pointer on a row shows that row's interface, its
# name, physical address and MTU as the namespace gives them; on another row the tip changes.
# The interface is read once after each refresh and kept until the next (an MTU changed
# meanwhile shows after F5), and the tip follows the row's own index in a sorted list.
# The tip's text is read by the probe, in the program's Wine prefix.
set -u
E2E_NAME=tooltip
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-tooltip-$$

# hover ROW: the pointer rests on the middle of the list's row ROW (0 = the first shown),
# near its right end, where no text lies.
hover() {
    xdotool mousemove $((left + hover_x)) $((top + rows[$1]))
}

# tip_shows ROW LINE...: with the pointer on ROW, until a tooltip shows every LINE.
# tip_text is the last text read.
tip_shows() {
    local row=$1 end line missing
    shift
    hover "$row"
    end=$((SECONDS + E2E_TIMEOUT))
    while [ "$SECONDS" -le "$end" ]; do
        tip_text=$(np_probe "$ns" tip | tr -d '\r')
        missing=""
        for line in "$@"; do
            grep -qxF -- "$line" <<<"$tip_text" || missing="$line"
        done
        [ -z "$missing" ] && return 0
        sleep 0.3
    done
    return 1
}

# expect_tip ROW WHAT LINE...: a check that the tip on ROW shows the lines.
expect_tip() {
    local row=$1 what=$2
    shift 2
    tip_shows "$row" "$@" ||
        check_failed "the tooltip on row $row ($what) does not show: $*; it shows: ${tip_text:-nothing}"
}

step "npA and npB with known physical addresses and MTUs"
# Before Wine starts in the namespace: it reads an interface's physical address only once.
netns_create "$ns"
ip -n "$ns" link set npA address 02:00:0a:09:00:01 mtu 1400 || fail "cannot set up npA"
ip -n "$ns" link set npB address 02:00:0a:09:00:02 mtu 1280 || fail "cannot set up npB"
ip -n "$ns" addr add 203.0.113.10/24 dev npA || fail "cannot add 203.0.113.10"
ip -n "$ns" addr add 198.51.100.20/24 dev npB || fail "cannot add 198.51.100.20"
e2e_prefix "$ns"

step "start Netpeek and find its rows"
np_start "$ns"
picture=$E2E_WORK/window.ppm
import -window "$NP_WIN" -depth 8 "ppm:$picture" || e2e_fail "no picture of the window"
read -r left top width height < <(xwininfo -id "$NP_WIN" | awk '/Absolute upper-left X/ {x = $4}
    /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}')
# The columns' grid lines cross the list's empty part; the last is the Type column's right edge.
columns=($(python3 "$E2E_DIR/shot.py" gridlines "$picture" 2 $((width - 3)) $((height * 3 / 4))))
[ "${#columns[@]}" -ge 6 ] || e2e_fail "the list's columns were not found (grid lines at: ${columns[*]})"
hover_x=$((columns[5] - 4))
header=$(python3 "$E2E_DIR/shot.py" gridtop "$picture" "${columns[0]}" $((height * 3 / 4)))
rows=($(python3 "$E2E_DIR/shot.py" rowmiddles "$picture" "$hover_x" "$header" $((height - 2))))
[ "${#rows[@]}" -ge 3 ] || e2e_fail "the list's rows were not found (middles at: ${rows[*]})"

# The rows in address order: 127.0.0.1 on lo, 198.51.100.20 on npB, 203.0.113.10 on npA.
step "the pointer on npA's row"
expect_tip 2 npA "Интерфейс: npA" "Физический адрес: 02-00-0A-09-00-01" "MTU: 1400"
e2e_shot shown >/dev/null
step "the pointer moves on to npB's row"
expect_tip 1 npB "Интерфейс: npB" "Физический адрес: 02-00-0A-09-00-02" "MTU: 1280"

step "npA's MTU changes: the tip keeps what it read until F5"
ip -n "$ns" link set npA mtu 1300 || fail "cannot change npA's MTU"
expect_tip 2 "npA, before F5" "Интерфейс: npA" "MTU: 1400"
np_refresh
hover 1
expect_tip 2 "npA, after F5" "Интерфейс: npA" "MTU: 1300"

step "sorted by Interface, descending: npA's row comes first"
# Two clicks, far enough apart not to make a double click.
xdotool mousemove $((left + columns[0] / 2)) $((top + header - 8)) click 1 sleep 1 click 1
wait_drawn "$NP_WIN"
expect_tip 0 "npA, sorted first" "Интерфейс: npA" "Физический адрес: 02-00-0A-09-00-01"

step "Esc closes the program"
xdotool mousemove 0 0
np_close_esc
e2e_finish
