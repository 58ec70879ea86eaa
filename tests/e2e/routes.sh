#!/bin/bash
# Which address is the user's own. Links d1 (10.1.0.1/24) and d2 (10.2.0.1/24), each a veth pair's
# end with its peer in the namespace too, each carry a default
# route, d2's of the lower metric; d3 carries 10.3.0.1/24. The Route column says "Default" on d2's
# address, its row's tooltip names the route, /stab - /primary /columns IP prints that address
# alone and /columns IP,Route agrees; the icon's tip starts with it and its menu copies it. A VPN's
# two half routes 0.0.0.0/1 and 128.0.0.0/1 added by d3, of a worse metric, win the internet by
# their longer prefix: /primary and the list name d3's address, and d2's again once they go. With
# d2's route deleted, the watch /wtab - /primary writes the move (d2's address removed, d1's added)
# and the list marks d1's. /connected leaves out d3 while it is down and the loopback, and shows
# d3 again once it is up.
set -u
E2E_NAME=routes
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-routes-$$
twin=${NETPEEK_EXE%.exe}.com
[ -f "$twin" ] || fail "$twin is not built beside $NETPEEK_EXE"

# save ARGS...: Netpeek.com ARGS, its standard output in out.txt; CODE its exit code.
save() {
    (cd "$E2E_WORK" && timeout "$E2E_START_TIMEOUT" ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" \
        WINEDEBUG=-all wine "$twin" "$@") >"$E2E_WORK/out.txt" 2>"$E2E_WORK/err.txt"
    CODE=$?
    tr -d '\r' <"$E2E_WORK/out.txt" >"$E2E_WORK/out.lf"
}

# saved ARGS... -- LINE...: the save ends with 0 and writes exactly those lines.
saved() {
    local args=() expected
    while [ "$1" != -- ]; do args+=("$1"); shift; done
    shift
    save "${args[@]}"
    expected=$(printf '%s\n' "$@")
    [ "$CODE" = 0 ] && [ "$(cat "$E2E_WORK/out.lf")" = "$expected" ] ||
        check_failed "Netpeek.com ${args[*]} ended with $CODE and wrote: $(cat "$E2E_WORK/out.lf" "$E2E_WORK/err.txt")"
}

# marked ADDRESS: the window's list comes to mark ADDRESS, and no other, "Default" in its Route
# column, within the time the program takes to follow the table.
marked() {
    local end=$((SECONDS + E2E_FOLLOW_TIMEOUT)) rows=""
    while :; do
        np_copy "$ns" "$NP_WIN" "$E2E_WORK/list.csv"
        rows=$(tr -d '\r' <"$E2E_WORK/list.csv" | awk -F, 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == "\"IP\"") ip = i }
            NR > 1 && $NF == "\"Default\"" { print $ip }')
        [ "$rows" = "\"$1\"" ] && return
        [ "$SECONDS" -gt "$end" ] && break
        sleep 0.5
    done
    check_failed "the list's Route column did not move to $1 alone: $(cat "$E2E_WORK/list.csv")"
}

step "links d1, d2 and d3, default routes by d1 (metric 200) and d2 (metric 100)"
netns_create "$ns"
ip -n "$ns" -batch - <<EOF2 || fail "cannot make the links and routes"
link add d1 type veth peer name d1p
link add d2 type veth peer name d2p
link add d3 type veth peer name d3p
link set d1 up
link set d2 up
link set d3 up
link set d1p up
link set d2p up
link set d3p up
addr add 10.1.0.1/24 dev d1
addr add 10.2.0.1/24 dev d2
addr add 10.3.0.1/24 dev d3
route add default via 10.1.0.254 dev d1 metric 200
route add default via 10.2.0.254 dev d2 metric 100
EOF2
e2e_prefix "$ns"

step "/primary and the Route column agree on d2's address"
saved /stab - /primary /columns IP -- IP 10.2.0.1
saved /scomma - /nosort /columns IP,Route -- '"IP","Route"' '"10.1.0.1",""' '"10.2.0.1","Default"' '"10.3.0.1",""' \
    '"127.0.0.1",""'

step "the window with the Route column and the icon: its tip starts with d2's address, its menu copies it"
np_setting "$ns" 'IPs List Columns' Route
np_setting "$ns" 'Minimize To Tray' 1
np_start "$ns"
icon=$(tray_icon) || e2e_fail "no tray window with the program's icon"
end=$((SECONDS + E2E_TIMEOUT)) tip=""
while [ "$SECONDS" -le "$end" ]; do
    xdotool mousemove 600 600 sleep 0.3 mousemove $icon sleep 1.5
    np_probe "$ns" tip >"$E2E_WORK/tip.txt" 2>/dev/null
    tip=$(tr -d '\r' <"$E2E_WORK/tip.txt")
    [[ "$tip" == *Netpeek* ]] && break
done
[ "$(sed -n 2p <<<"$tip")" = "10.2.0.1 — d2" ] || check_failed "the icon's tip does not start with d2's address: $tip"
xdotool mousemove $icon click 3
sleep 0.7
e2e_shot icon-menu >/dev/null
xdotool key Down Down Down Down Return
sleep 0.5
[ "$(np_probe "$ns" clip)" = 10.2.0.1 ] || check_failed "the icon's menu did not copy 10.2.0.1: $(np_probe "$ns" clip)"

step "the row of d2's address: its tooltip names the route"
xdotool mousemove 0 0
wait_drawn "$NP_WIN"
picture=$E2E_WORK/window.ppm
import -window "$NP_WIN" -depth 8 "ppm:$picture" || e2e_fail "no picture of the window"
read -r left top width height < <(xwininfo -id "$NP_WIN" | awk '/Absolute upper-left X/ {x = $4}
    /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}')
columns=($(python3 "$E2E_DIR/shot.py" gridlines "$picture" 2 $((width - 3)) $((height * 3 / 4))))
[ "${#columns[@]}" -ge 6 ] || e2e_fail "the list's columns were not found (grid lines at: ${columns[*]})"
header=$(python3 "$E2E_DIR/shot.py" gridtop "$picture" "${columns[0]}" $((height * 3 / 4)))
rows=($(python3 "$E2E_DIR/shot.py" rowmiddles "$picture" $((columns[5] - 4)) "$header" $((height - 2))))
[ "${#rows[@]}" -ge 4 ] || e2e_fail "the list's rows were not found (middles at: ${rows[*]})"
# In the table's order: 10.1.0.1, 10.2.0.1, 10.3.0.1, 127.0.0.1.
xdotool mousemove $((left + columns[5] - 4)) $((top + rows[1]))
end=$((SECONDS + E2E_TIMEOUT)) found=""
while [ "$SECONDS" -le "$end" ] && [ -z "$found" ]; do
    # Wine tells the routes' metrics in their order, in numbers of its own.
    np_probe "$ns" tip | tr -d '\r' | grep -qxE "Основной адрес: шлюз 10\.2\.0\.254, метрика [0-9]+" && found=yes
    sleep 0.3
done
[ -n "$found" ] || check_failed "the tooltip of 10.2.0.1 does not name its route"
e2e_shot route >/dev/null

step "a VPN's half routes by d3: /primary and the list name d3's address; once they go, d2's again"
ip -n "$ns" -batch - <<EOF2 || fail "cannot add the half routes"
route add 0.0.0.0/1 via 10.3.0.254 dev d3 metric 300
route add 128.0.0.0/1 via 10.3.0.254 dev d3 metric 300
EOF2
saved /stab - /primary /columns IP -- IP 10.3.0.1
marked 10.3.0.1
ip -n "$ns" -batch - <<EOF2 || fail "cannot delete the half routes"
route del 0.0.0.0/1 via 10.3.0.254 dev d3
route del 128.0.0.0/1 via 10.3.0.254 dev d3
EOF2
saved /stab - /primary /columns IP -- IP 10.2.0.1
marked 10.2.0.1
e2e_shot vpn-gone >/dev/null

step "d2's route deleted: the watch of /primary writes the move, the list marks d1's address"
(cd "$E2E_WORK" && exec ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine "$twin" /wtab - /primary \
    /columns IP) >"$E2E_WORK/watch.txt" 2>"$E2E_WORK/watch-err.txt" &
watcher=$!
end=$((SECONDS + E2E_START_TIMEOUT))
until grep -q $'\tpresent\t10.2.0.1' "$E2E_WORK/watch.txt" 2>/dev/null || [ "$SECONDS" -gt "$end" ]; do sleep 0.2; done
ip -n "$ns" route del default via 10.2.0.254 dev d2 || fail "cannot delete d2's route"
end=$((SECONDS + E2E_FOLLOW_TIMEOUT))
until grep -q $'\tadded\t10.1.0.1' "$E2E_WORK/watch.txt" 2>/dev/null || [ "$SECONDS" -gt "$end" ]; do sleep 0.2; done
kill -INT "$watcher"
wait "$watcher"
report=$(tr -d '\r' <"$E2E_WORK/watch.txt" | cut -f2- | tr '\t' ' ')
[ "$report" = $'Event IP\npresent 10.2.0.1\nremoved 10.2.0.1\nadded 10.1.0.1' ] ||
    check_failed "the watch of /primary wrote: $report"
marked 10.1.0.1
e2e_shot moved >/dev/null

step "/connected: without d3 while it is down, nor the loopback; with it once it is up"
ip -n "$ns" link set d3 down || fail "cannot set d3 down"
saved /stab - /connected /columns IP -- IP 10.1.0.1 10.2.0.1
ip -n "$ns" link set d3 up || fail "cannot set d3 up"
saved /stab - /connected /columns IP -- IP 10.1.0.1 10.2.0.1 10.3.0.1

step "Esc closes the program"
np_close_esc
e2e_finish
