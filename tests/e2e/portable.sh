#!/bin/bash
# Settings beside the program, as on a stick: Netpeek.exe and Netpeek.com on a file system of their
# own beside an empty Netpeek.ini. IPv6 ticked through the context menu goes into the file (UTF-8
# with a byte-order mark), and nothing under the program's registry key; the console twin beside
# it saves with the file's choices; a comment and a value written into the file by hand while the
# program runs survive its next write. "Хранить настройки рядом с программой", the context menu's
# last item, unticked moves every value into the registry and deletes the file; ticked, moves them
# back and deletes the key. Closed, the window's placement and layout are in the file. With the
# file system made read-only, as a write-protected stick, a start reads the file's values, the
# first choice in vain says so in a box naming the file, once, and takes effect all the same; the
# program runs on and ends, the file as it was and the registry untouched.
set -u
E2E_NAME=portable
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-portable-$$
stick=$E2E_WORK/stick
ini=$stick/Netpeek.ini
twin=${NETPEEK_EXE%.exe}.com
[ -f "$twin" ] || fail "$twin is not built beside $NETPEEK_EXE"

# ini_value NAME: the value NAME of the file, as a person reads it.
ini_value() {
    tr -d '\r' <"$ini" | sed -n "s/^$1=//p"
}

# wait_ini NAME VALUE: until the file holds that value; the program replaces it whole.
wait_ini() {
    local end=$((SECONDS + E2E_TIMEOUT))
    until [ "$(ini_value "$1" 2>/dev/null)" = "$2" ]; do
        [ "$SECONDS" -le "$end" ] || return 1
        sleep 0.2
    done
}

# no_program_key: reg query finds nothing under the program's key.
no_program_key() {
    ! np_reg "$ns" query 'HKCU\Software\Brindle\Netpeek' >/dev/null 2>&1
}

# context KEY...: the list's context menu by Shift+F10, those keys in it, and Return.
context() {
    local before menu
    before=$(xdotool search --onlyvisible --name '' 2>/dev/null | tr '\n' ' ')
    keys "$NP_WIN" shift+F10
    menu=$(wait_window '' "$before") || e2e_fail "Shift+F10 opened no context menu"
    wait_drawn "$menu"
    xdotool key --delay 60 "$@" Return
    wait_gone "$menu" || e2e_fail "the context menu stayed open"
}

# From the end of the context menu: this item, then the start at logon, the notices, the icon,
# and IPv6.
beside=(Up)
ipv6=(Up Up Up Up Up)

step "a stick: a file system with Netpeek.exe, Netpeek.com and an empty Netpeek.ini"
e2e_mount "$stick" size=16m
cp "$NETPEEK_EXE" "$twin" "$stick/" && : >"$ini" || fail "cannot fill the stick"
NETPEEK_EXE=$stick/Netpeek.exe
netns_create "$ns"
ip -n "$ns" addr add 192.0.2.1/24 dev npA || fail "cannot add 192.0.2.1"
e2e_prefix "$ns"

step "start from the stick, tick Показывать адреса IPv6: it is in the file, not in the registry"
np_start "$ns"
context "${ipv6[@]}"
wait_ini 'Show IPv6' 1 || check_failed "Show IPv6 is not 1 in the file: $(cat -A "$ini")"
[ "$(head -c 3 "$ini" | od -An -tx1 | tr -d ' ')" = efbbbf ] || check_failed "the file has no UTF-8 byte-order mark"
no_program_key || check_failed "the program's registry key was written: $(np_reg "$ns" query 'HKCU\Software\Brindle\Netpeek')"

step "the console twin beside it saves the IPv6 rows, as the file says"
ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine "$stick/Netpeek.com" /stab - \
    >"$E2E_WORK/twin.txt" 2>>"$E2E_WORK/wine.log" || check_failed "Netpeek.com /stab - failed"
grep -q $'^[0-9]*\tfe80::' "$E2E_WORK/twin.txt" || check_failed "the twin saved no IPv6 row: $(cat "$E2E_WORK/twin.txt")"

step "a comment and a value written by hand survive the program's next write"
printf '; written by hand\r\nColour=green\r\n' >>"$ini"
context "${ipv6[@]}"
wait_ini 'Show IPv6' 0 || check_failed "Show IPv6 is not 0 in the file: $(cat -A "$ini")"
grep -q '^; written by hand' "$ini" && [ "$(ini_value Colour)" = green ] ||
    check_failed "the program's write lost what was written by hand: $(cat -A "$ini")"

step "untick Хранить настройки рядом с программой: every value into the registry, the file deleted"
context "${beside[@]}"
end=$((SECONDS + E2E_TIMEOUT))
while [ -e "$ini" ] && [ "$SECONDS" -le "$end" ]; do sleep 0.2; done
[ ! -e "$ini" ] || check_failed "the file is still there"
[ "$(np_setting "$ns" 'Show IPv6')" = 0 ] && [ "$(np_setting "$ns" Colour)" = green ] ||
    check_failed "the registry does not hold the file's values: $(np_reg "$ns" query 'HKCU\Software\Brindle\Netpeek')"

step "tick it again: every value back into the file, the key deleted"
context "${beside[@]}"
wait_file "$ini" || e2e_fail "no Netpeek.ini after ticking"
[ "$(ini_value 'Show IPv6')" = 0 ] && [ "$(ini_value Colour)" = green ] ||
    check_failed "the file does not hold the registry's values: $(cat -A "$ini")"
no_program_key || check_failed "the program's registry key is still there"

step "Esc: the window's placement and the list's layout are in the file"
np_close_esc
[ -n "$(ini_value 'Window placement')" ] && [ -n "$(ini_value 'IPs List')" ] ||
    check_failed "the layout is not in the file: $(cat -A "$ini")"
no_program_key || check_failed "closing wrote the program's registry key"

step "the stick made read-only: a start reads the file, a choice says once that it cannot be written"
mount -o remount,ro "$stick" || fail "cannot make $stick read-only"
ip netns exec "$ns" touch "$stick/probe" 2>/dev/null && fail "$stick is not read-only"
cp "$ini" "$E2E_WORK/before.ini"
np_start "$ns"
context "${ipv6[@]}"
box=$(wait_window '^Netpeek$' "$NP_WIN") || e2e_fail "no box said that the file cannot be written"
wait_drawn "$box"
np_probe "$ns" box >"$E2E_WORK/box.txt"
grep -qF "$(winpath "$ini")" "$E2E_WORK/box.txt" &&
    grep -q 'Не удалось записать настройки в файл' "$E2E_WORK/box.txt" ||
    check_failed "the box does not say that $(winpath "$ini") cannot be written: $(cat "$E2E_WORK/box.txt")"
keys "$box" Return
wait_gone "$box" || e2e_fail "Return did not close the box"
np_copy "$ns" "$NP_WIN" "$E2E_WORK/list.txt"
grep -q 'fe80::' "$E2E_WORK/list.txt" || check_failed "IPv6 ticked in vain is not in effect: $(cat "$E2E_WORK/list.txt")"

step "another choice and the close: no second box, the file as it was, no registry key"
context "${ipv6[@]}"
wait_window '^Netpeek$' "$NP_WIN" 3 >/dev/null && e2e_fail "a second choice showed a second box"
keys "$NP_WIN" Escape
if ! np_wait_exit; then
    np_state
    e2e_fail "the program did not end after Esc ($NP_STATE)"
fi
cmp -s "$ini" "$E2E_WORK/before.ini" || check_failed "the read-only file changed"
no_program_key || check_failed "the program fell back to the registry"
e2e_finish
