#!/bin/bash
# Every IPv4 address that Linux lists is in the table we read through Wine's IP Helper,
# with its mask, and loopback is there.
set -u
. "$(dirname "$0")/../lib/common.sh"
addrdump=$1

rows=$("$NETPEEK_SOURCE_DIR/scripts/wine-run" "$addrdump" | tr -d '\r') || fail "addrdump failed"
echo "$rows"
echo "$rows" | awk '{print $2, $3}' | grep -qx '127.0.0.1 255.0.0.0' || fail "no loopback row"
linux=$(linux_addresses)
[ -n "$linux" ] || fail "ip lists no IPv4 address"
while read -r addr mask; do
    echo "$rows" | awk '{print $2, $3}' | grep -qx "$addr $mask" || fail "$addr $mask is missing"
done <<<"$linux"
echo "all $(echo "$linux" | wc -l) addresses found"
