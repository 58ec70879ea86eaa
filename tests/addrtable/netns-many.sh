#!/bin/bash
# Beyond the 42 rows that once fitted the first buffer: COUNT addresses in a namespace all
# come back, with their masks, in ascending address order.
set -u
. "$(dirname "$0")/../lib/common.sh"
addrdump=$1
count=$2
require_root
ns=np-many-$$
trap netns_cleanup EXIT

netns_create "$ns"
netns_add_many "$ns" "$count"
netns_prefix "$ns"
prefix=$NETNS_PREFIX
rows=$(netns_wine "$ns" "$prefix" "$addrdump" | tr -d '\r') || fail "addrdump failed"

expected=$(ip netns exec "$ns" bash -c "$(declare -f prefix_to_mask linux_addresses); linux_addresses")
[ "$(echo "$expected" | grep -c '^10\.77\.')" -eq "$count" ] || fail "the namespace does not hold $count addresses"
got=$(echo "$rows" | awk '{print $2, $3}')
while read -r addr mask; do
    echo "$got" | grep -qx "$addr $mask" || fail "$addr $mask is missing"
done <<<"$expected"
[ "$(echo "$got" | wc -l)" -eq "$(echo "$expected" | wc -l)" ] || fail "row count differs from ip's"

# Ascending by address, compared as numbers.
as_numbers=$(echo "$got" | awk '{split($1, o, "."); printf "%d\n", ((o[1]*256+o[2])*256+o[3])*256+o[4]}')
[ "$as_numbers" = "$(echo "$as_numbers" | sort -n)" ] || fail "rows are not in ascending address order"
echo "all $count addresses (and loopback) came back in order"
