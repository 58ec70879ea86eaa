#!/bin/bash
# The IPv6 rows, on request. In a namespace with IPv4 addresses, fd00:77::11 and the veth
# pair's link-local addresses, the list is by default exactly the IPv4 table and nothing is
# stored. "Показывать адреса IPv6", the context menu's third item from the end, ticked with the keyboard,
# lists the IPv6 rows after the IPv4 ones (interface index, address with its zone, prefix
# length, two empty cells, the type) and stores "Show IPv6" = 1; an IPv6 address added while
# the program runs is listed at the next re-read without F5; after a restart the rows are there
# at once. The list is read as Ctrl+C with no row selected copies it, inside Wine.
set -u
E2E_NAME=ipv6
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-ipv6-$$
list=$E2E_WORK/list.csv

# copy_list: Ctrl+C with no row selected; the clipboard's bytes into $list.
copy_list() {
    np_copy "$ns" "$NP_WIN" "$list"
}

step "10.77.0.1-2 and fd00:77::11/64 on npA, beside the links' own fe80:: addresses"
e2e_netns "$ns"
netns_add_many "$ns" 2
ip -n "$ns" -6 addr add fd00:77::11/64 dev npA nodad || fail "cannot add fd00:77::11"
ip -n "$ns" -6 -o addr show scope link | grep -q 'inet6 fe80:' || fail "the links have no link-local address"

step "start Netpeek: the list is the IPv4 table alone"
np_start "$ns"
copy_list
check_export "$list" "$ns"
[ -z "$(np_setting "$ns" 'Show IPv6')" ] || check_failed "Show IPv6 was stored before anyone changed it"

step "Shift+F10, then the context menu's fifth item from the end: the IPv6 rows follow the IPv4 ones"
keys "$NP_WIN" shift+F10
sleep 0.5
e2e_shot menu >/dev/null
# Up from no item is the last, "Хранить настройки рядом с программой", then "Запускать при входе в
# Windows" (greyed, but the keys stop on it), "Уведомлять об изменениях", "Сворачивать в область
# уведомлений", then this one.
xdotool key Up Up Up Up Up Return
wait_drawn "$NP_WIN"
copy_list
check_export "$list" "$ns" ipv6
[ "$(np_setting "$ns" 'Show IPv6')" = 1 ] || check_failed "Show IPv6 is not stored as 1"

step "fd00:77::12 added to npB is listed at the next re-read, without F5"
ip -n "$ns" -6 addr add fd00:77::12/64 dev npB nodad || fail "cannot add fd00:77::12"
end=$((SECONDS + E2E_FOLLOW_TIMEOUT))
ns_addresses "$ns" "$E2E_WORK/ip-addr.txt" ipv6
while :; do
    copy_list
    python3 "$E2E_DIR/table.py" check "$list" "$E2E_WORK/ip-addr.txt" >/dev/null && break
    # Wine sends no change notice: the re-read shows it, which a busy machine puts off.
    if [ "$SECONDS" -gt "$end" ]; then
        check_export "$list" "$ns" ipv6
        break
    fi
    sleep 0.5
done

step "after a restart the IPv6 rows are there at once"
np_close_esc
np_start "$ns"
copy_list
check_export "$list" "$ns" ipv6
[ "$(np_setting "$ns" 'Show IPv6')" = 1 ] || check_failed "Show IPv6 is no longer 1"

step "Esc closes the program"
np_close_esc
e2e_finish
