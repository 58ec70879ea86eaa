#!/bin/bash
# Three addresses on two links, one of them a second address in the same subnet, plus
# loopback: F2, a file name typed into the Save As dialog, Enter; the file holds the header
# and one line per address in ascending address order (as numbers: by the last octet the
# order would differ), with the links' interface indexes, masks and types, in CR LF lines.
set -u
E2E_NAME=export
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-export-$$

step "three addresses on npA and npB"
e2e_netns "$ns"
ip -n "$ns" addr add 192.0.2.9/24 dev npA || fail "cannot add 192.0.2.9"
ip -n "$ns" addr add 192.0.2.77/24 dev npA || fail "cannot add 192.0.2.77"
ip -n "$ns" addr add 198.51.100.5/26 dev npB || fail "cannot add 198.51.100.5"
ip -n "$ns" -o addr show dev npA | grep -q 'inet 192.0.2.77/24 .*secondary' ||
    fail "192.0.2.77 is not a secondary address of npA"
index_of() { ip -n "$ns" -o link show dev "$1" | cut -d: -f1; }
a=$(index_of npA) b=$(index_of npB) lo=$(index_of lo)
[ -n "$a" ] && [ -n "$b" ] && [ "$a" != "$b" ] || fail "no interface indexes for npA and npB"

step "start Netpeek"
np_start "$ns"

step "export with F2 into list.csv"
csv=$E2E_WORK/list.csv
np_export "$csv"

step "check the file's bytes"
printf '%s\r\n' \
    '"Interface","IP","Mask","Broadcast","Realm size","Type"' \
    "\"$lo\",\"127.0.0.1\",\"255.0.0.0\",\"1.0.0.0\",\"65535\",\"Primary\"" \
    "\"$a\",\"192.0.2.9\",\"255.255.255.0\",\"1.0.0.0\",\"65535\",\"Primary\"" \
    "\"$a\",\"192.0.2.77\",\"255.255.255.0\",\"1.0.0.0\",\"65535\",\"Primary\"" \
    "\"$b\",\"198.51.100.5\",\"255.255.255.192\",\"1.0.0.0\",\"65535\",\"Primary\"" \
    >"$E2E_WORK/expected.csv"
if ! cmp -s "$E2E_WORK/expected.csv" "$csv"; then
    echo "expected:" >&2; cat -A "$E2E_WORK/expected.csv" >&2
    echo "written:" >&2; cat -A "$csv" >&2
    check_failed "list.csv is not the table of the namespace"
fi

step "the program goes on after the export, and Esc closes it"
np_alive || check_failed "the program is gone after the export"
np_close_esc
e2e_finish
