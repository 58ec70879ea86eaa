#!/bin/bash
# The connection behind each address, as Wine gives it. In a namespace with a veth pair's end v1
# (10.1.0.1/24), a tun device t1 (10.2.0.1/24, no carrier) and a bridge b1 (10.3.0.1/24): Wine's
# GetIfTable2 calls every Linux link but the loopback a hardware adapter and gives no speed, so
# "Kind" says "Physical" on each and "Loopback" on lo, and "Speed" is empty; /physical leaves out
# the loopback alone. With Physical Only stored, the window leaves out the loopback, and the row
# chosen (b1's) stays chosen when an address comes on v1 above it.
set -u
E2E_NAME=connect
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-connect-$$
twin=${NETPEEK_EXE%.exe}.com
[ -f "$twin" ] || fail "$twin is not built beside $NETPEEK_EXE"

# saved ARGS... -- LINE...: Netpeek.com ARGS ends with 0 and writes exactly those lines.
saved() {
    local args=() expected code
    while [ "$1" != -- ]; do args+=("$1"); shift; done
    shift
    (cd "$E2E_WORK" && timeout "$E2E_START_TIMEOUT" ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" \
        WINEDEBUG=-all wine "$twin" "${args[@]}") >"$E2E_WORK/out.txt" 2>"$E2E_WORK/err.txt"
    code=$?
    tr -d '\r' <"$E2E_WORK/out.txt" >"$E2E_WORK/out.lf"
    expected=$(printf '%s\n' "$@")
    [ "$code" = 0 ] && [ "$(cat "$E2E_WORK/out.lf")" = "$expected" ] ||
        check_failed "Netpeek.com ${args[*]} ended with $code and wrote: $(cat "$E2E_WORK/out.lf" "$E2E_WORK/err.txt")"
}

step "links v1 (veth), t1 (tun) and b1 (bridge)"
netns_create "$ns"
ip -n "$ns" -batch - <<EOF2 || fail "cannot make the links"
link add v1 type veth peer name v1p
link add b1 type bridge
tuntap add mode tun name t1
link set v1 up
link set v1p up
link set t1 up
link set b1 up
addr add 10.1.0.1/24 dev v1
addr add 10.2.0.1/24 dev t1
addr add 10.3.0.1/24 dev b1
EOF2
e2e_prefix "$ns"

step "Kind and Speed as Wine gives them; /physical without the loopback"
saved /stab - /nosort /columns IP,Name,Kind,Speed -- $'IP\tName\tKind\tSpeed' $'10.1.0.1\tv1\tPhysical\t' \
    $'10.2.0.1\tt1\tPhysical\t' $'10.3.0.1\tb1\tPhysical\t' $'127.0.0.1\tlo\tLoopback\t'
saved /stab - /nosort /physical /columns IP -- IP 10.1.0.1 10.2.0.1 10.3.0.1

step "the window with Physical Only: b1's row chosen stays chosen as an address comes on v1"
np_setting "$ns" 'Physical Only' 1
np_setting "$ns" 'IPs List Columns' Kind
np_start "$ns"
keys "$NP_WIN" End
ip -n "$ns" addr add 10.1.0.2/24 dev v1 || fail "cannot add 10.1.0.2"
end=$((SECONDS + E2E_FOLLOW_TIMEOUT))
while :; do
    rm -f "$E2E_WORK/list.csv"
    np_export "$E2E_WORK/list.csv"
    tail -n +2 "$E2E_WORK/list.csv" | cut -d, -f2 | tr -d '"\r' >"$E2E_WORK/shown.txt"
    grep -qx 10.1.0.2 "$E2E_WORK/shown.txt" && break
    [ "$SECONDS" -gt "$end" ] && break
done
[ "$(tr '\n' ' ' <"$E2E_WORK/shown.txt")" = "10.1.0.1 10.1.0.2 10.2.0.1 10.3.0.1 " ] ||
    check_failed "the list with Physical Only shows: $(cat "$E2E_WORK/shown.txt")"
keys "$NP_WIN" ctrl+c
sleep 0.3
np_probe "$ns" clip | tr -d '\r' >"$E2E_WORK/clip.txt"
[ "$(cut -d, -f2 "$E2E_WORK/clip.txt" | tr -d '"')" = 10.3.0.1 ] || check_failed "the row chosen moved: $(cat "$E2E_WORK/clip.txt")"
e2e_shot kind >/dev/null

step "Esc closes the program"
np_close_esc
e2e_finish
