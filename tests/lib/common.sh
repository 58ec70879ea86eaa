# Helpers for the shell tests: masks, network namespaces and per-namespace Wine prefixes.
# Sourced by the tests; every namespace and prefix made here is removed by netns_cleanup.

fail() { echo "FAIL: $*" >&2; exit 1; }

# 24 -> 255.255.255.0
prefix_to_mask() {
    local bits=$1 mask="" i octet
    for i in 1 2 3 4; do
        if [ "$bits" -ge 8 ]; then octet=255; bits=$((bits - 8))
        else octet=$((256 - (1 << (8 - bits)))); [ "$bits" -eq 0 ] && octet=0; bits=0; fi
        mask="$mask${mask:+.}$octet"
    done
    echo "$mask"
}

# "address mask" for every IPv4 address that Linux lists, in the current namespace.
linux_addresses() {
    ip -4 -o addr show | awk '{print $4}' | while IFS=/ read -r addr bits; do
        echo "$addr $(prefix_to_mask "$bits")"
    done
}

require_root() {
    if [ "$(id -u)" != 0 ]; then
        echo "SKIP: network namespaces need root"
        exit 77
    fi
}

NETNS_MADE=""
NETNS_PREFIXES=""

# wine_stop PREFIX: ends the prefix's Wine server and its processes, and waits until they are gone.
wine_stop() {
    WINEPREFIX=$1 wineserver -k 2>/dev/null
    WINEPREFIX=$1 timeout 10 wineserver -w 2>/dev/null
}

# Wine ends before its prefix goes: a new prefix often gets the inode of one just deleted,
# and with it the same Wine server folder, so no server of an old prefix may still answer
# there when the next test starts.
netns_cleanup() {
    local ns prefix
    for prefix in $NETNS_PREFIXES; do
        wine_stop "$prefix"
    done
    for ns in $NETNS_MADE; do
        ip netns pids "$ns" 2>/dev/null | xargs -r kill -9 2>/dev/null
        ip netns delete "$ns" 2>/dev/null
    done
    for prefix in $NETNS_PREFIXES; do
        rm -rf "$prefix"
    done
}

# netns_create NAME: a namespace with loopback up and a veth pair npA/npB, both ends in it.
netns_create() {
    local ns=$1
    ip netns delete "$ns" 2>/dev/null
    ip netns add "$ns" || fail "cannot make network namespace $ns"
    NETNS_MADE="$NETNS_MADE $ns"
    ip -n "$ns" link set lo up
    ip -n "$ns" link add npA type veth peer name npB || fail "cannot make a veth pair in $ns"
    ip -n "$ns" link set npA up
    ip -n "$ns" link set npB up
}

# netns_add_many NAME COUNT [FIRST]: COUNT addresses 10.77.x.y/24 on npA, added in one ip -batch;
# FIRST (default 0) numbers the first of them, so that a later call can add more.
netns_add_many() {
    local ns=$1 count=$2 first=${3:-0} i batch
    batch=$(mktemp)
    for ((i = first; i < first + count; i++)); do
        echo "addr add 10.77.$((i / 200)).$((i % 200 + 1))/24 dev npA"
    done >"$batch"
    ip -n "$ns" -batch "$batch" || { rm -f "$batch"; fail "ip -batch could not add the addresses"; }
    rm -f "$batch"
}

# netns_prefix NAME: sets NETNS_PREFIX to a private Wine prefix for wine processes inside the
# namespace, copied from the run's prefix, so that its Wine services start inside the namespace
# and see only it. Not for a command substitution: netns_cleanup must learn of the prefix.
netns_prefix() {
    local ns=$1
    NETNS_PREFIX=$(mktemp -d "${NETPEEK_BUILD_DIR:-/tmp}/prefix-$ns.XXXXXX") || fail "cannot make a Wine prefix"
    NETNS_PREFIXES="$NETNS_PREFIXES $NETNS_PREFIX"
    cp -a "$WINEPREFIX/." "$NETNS_PREFIX/" || fail "cannot copy the Wine prefix"
}

# netns_wine NAME PREFIX PROGRAM ARGS...: runs a Windows program inside the namespace.
netns_wine() {
    local ns=$1 prefix=$2
    shift 2
    ip netns exec "$ns" env WINEPREFIX="$prefix" WINEDEBUG=-all wine "$@"
}
