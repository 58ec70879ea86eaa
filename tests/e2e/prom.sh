#!/bin/bash
# The table as Prometheus metrics, for windows_exporter's textfile collector. Links d1 (10.1.0.1/24,
# fd00:1::1/64) and d2 (10.2.0.1/24) each carry a default route, d2's of the lower metric.
# Netpeek.com /sprom writes one series per row of the same save as CSV, its labels the row's cells
# (the primary one d2's address, as the Route column says), in the order /sort gives, with /ipv6 the
# IPv6 rows too; every file passes promtool with nothing to say. /wprom FILE /ipv6 writes the file at
# its start; while a reader copies it again and again, a burst of addresses added is written whole
# each time, the file following the table; an address that goes and one whose mask changes are
# counted and followed; with d2's route deleted the primary series moves to d1's address; with every
# address gone the file says so and the network's state is none; Ctrl+C leaves the last whole file.
# Bad lines and files that cannot be written end with their code and one line on standard error, the
# earlier file as it was.
set -u
E2E_NAME=prom
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-prom-$$
twin=${NETPEEK_EXE%.exe}.com
[ -f "$twin" ] || fail "$twin is not built beside $NETPEEK_EXE"
command -v promtool >/dev/null || fail "promtool is not installed (scripts/install-deps.sh installs it)"
readonly_fs=$E2E_WORK/ro
metrics=$E2E_WORK/netpeek.prom
columns=/columns\ Interface,IP,Mask,Type,Name,Route

# np_bg ARGS...: Netpeek.com ARGS in the namespace from the work folder, in the background: NP_PID,
# its standard output in out.txt and standard error in err.txt.
np_bg() {
    (cd "$E2E_WORK" && exec ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine "$twin" "$@") \
        >"$E2E_WORK/out.txt" 2>"$E2E_WORK/err.txt" &
    NP_PID=$!
}

# np_run ARGS...: Netpeek.com ARGS until it ends; CODE is its exit code.
np_run() {
    np_bg "$@"
    np_wait_exit "$E2E_START_TIMEOUT" || { kill "$NP_PID"; e2e_fail "Netpeek $* did not end by itself"; }
    wait "$NP_PID" 2>/dev/null
    CODE=$?
}

# np_wait_exit is lib.sh's, which forgets the code: this one keeps it.
np_wait_exit() {
    local end=$((SECONDS + ${1:-$E2E_TIMEOUT}))
    while kill -0 "$NP_PID" 2>/dev/null; do
        [ "$SECONDS" -le "$end" ] || return 1
        sleep 0.1
    done
}

# saved ARGS...: a run that must end with 0 and nothing on standard error.
saved() {
    np_run "$@"
    [ "$CODE" = 0 ] && [ ! -s "$E2E_WORK/err.txt" ] ||
        check_failed "Netpeek $* ended with $CODE: $(cat "$E2E_WORK/err.txt")"
}

# refused CODE FILE ARGS...: a run that must end with CODE (any but 0 and 87 for "-"), one line on
# standard error, and FILE (a file or a folder) as it was before.
refused() {
    local want=$1 file=$2 before
    shift 2
    before=$(stat -c '%F %s %y' "$file"; md5sum <"$file" 2>/dev/null)
    np_run "$@"
    if [ "$want" = - ]; then [ "$CODE" != 0 ] && [ "$CODE" != 87 ]; else [ "$CODE" = "$want" ]; fi ||
        check_failed "Netpeek $* ended with $CODE, not ${want/-/the write\'s code}"
    [ "$(tr -d '\r' <"$E2E_WORK/err.txt" | LC_ALL=C grep -c '^Netpeek: .')" = 1 ] &&
        [ "$(tr -d '\r' <"$E2E_WORK/err.txt" | wc -l)" = 1 ] ||
        check_failed "Netpeek $* did not say why in one line: $(cat -A "$E2E_WORK/err.txt")"
    [ "$(stat -c '%F %s %y' "$file"; md5sum <"$file" 2>/dev/null)" = "$before" ] ||
        check_failed "Netpeek $* changed $file"
}

# checked FILE WHAT: promtool has nothing to say of FILE, and no series is in it twice.
checked() {
    local report
    report=$(python3 "$E2E_DIR/metrics.py" check "$1" 2>&1) || check_failed "$2 is no clean metrics file: $report"
}

# same_rows WHAT ARGS...: the series of /sprom - ARGS are the rows of /scomma - ARGS with the
# labels' columns, in the same order.
same_rows() {
    local what=$1
    shift
    saved /sprom - "$@"
    cp "$E2E_WORK/out.txt" "$E2E_WORK/saved.prom"
    checked "$E2E_WORK/saved.prom" "$what"
    saved /scomma - "$@" $columns
    python3 "$E2E_DIR/metrics.py" rows "$E2E_WORK/out.txt" >"$E2E_WORK/rows.txt" || e2e_fail "the CSV save is unreadable"
    python3 "$E2E_DIR/metrics.py" series "$E2E_WORK/saved.prom" >"$E2E_WORK/series.txt" ||
        check_failed "$what: the series are unreadable"
    cmp -s "$E2E_WORK/rows.txt" "$E2E_WORK/series.txt" ||
        check_failed "$what: the series are not the save's rows: $(diff "$E2E_WORK/rows.txt" "$E2E_WORK/series.txt")"
}

# value SAMPLE: its value in the watch's file as it is now.
value() {
    python3 "$E2E_DIR/metrics.py" value "$metrics" "$1" 2>/dev/null
}

# follows WHAT TEST...: until the watch's file passes TEST (a command), within the watch's delay;
# then the file is checked.
follows() {
    local what=$1 end=$((SECONDS + E2E_FOLLOW_TIMEOUT))
    shift
    until "$@"; do
        [ "$SECONDS" -le "$end" ] || { check_failed "the file did not follow $what: $(cat "$metrics")"; return 1; }
        sleep 0.2
    done
    checked "$metrics" "the file after $what"
}

has() { grep -qF -- "$1" "$metrics"; }
lacks() { ! grep -qF -- "$1" "$metrics"; }
is() { [ "$(value "$1")" = "$2" ]; }

step "links d1 and d2, default routes by d1 (metric 200) and d2 (metric 100), a read-only file system"
netns_create "$ns"
ip -n "$ns" -batch - <<EOF2 || fail "cannot make the links and routes"
link add d1 type veth peer name d1p
link add d2 type veth peer name d2p
link set d1 up
link set d2 up
link set d1p up
link set d2p up
addr add 10.1.0.1/24 dev d1
addr add 10.2.0.1/24 dev d2
addr add fd00:1::1/64 dev d1 nodad
route add default via 10.1.0.254 dev d1 metric 200
route add default via 10.2.0.254 dev d2 metric 100
EOF2
e2e_mount "$readonly_fs" size=64k
printf '# HELP old_metric x\n# TYPE old_metric gauge\nold_metric 1\n' >"$readonly_fs/netpeek.prom"
mount -o remount,ro "$readonly_fs" || fail "cannot make $readonly_fs read-only"
mkdir "$E2E_WORK/folder.prom"
e2e_prefix "$ns"

step "/sprom: the save's rows as series, d2's address the primary one, in the order of /sort; IPv6 with /ipv6"
same_rows "/sprom - /nosort" /nosort
grep -q $'^ipv4\t[0-9]*\td2\t10.2.0.1\t24\t[^\t]*\t1$' "$E2E_WORK/series.txt" &&
    [ "$(grep -c $'\t1$' "$E2E_WORK/series.txt")" = 1 ] ||
    check_failed "d2's address is not the one primary series: $(cat "$E2E_WORK/series.txt")"
grep -q '^netpeek_network_state{state="connected"} 1$' "$E2E_WORK/saved.prom" ||
    check_failed "the network is not connected: $(cat "$E2E_WORK/saved.prom")"
same_rows "/sprom - /sort ~IP" /sort '~IP'
same_rows "/sprom - /ipv6" /ipv6 /nosort
grep -q $'^ipv6\t[0-9]*\td1\tfd00:1::1\t64\t' "$E2E_WORK/series.txt" &&
    grep -q '^netpeek_addresses{family="ipv6"} [1-9]' "$E2E_WORK/saved.prom" ||
    check_failed "/ipv6 did not add d1's IPv6 address: $(cat "$E2E_WORK/saved.prom")"
saved /sprom "$(winpath "$E2E_WORK/saved-file.prom")"
checked "$E2E_WORK/saved-file.prom" "/sprom FILE"

step "bad lines and targets: the code, one line on standard error, the old file as it was"
saved /sprom "$(winpath "$metrics")"
refused 87 "$metrics" /sprom "$(winpath "$metrics")" /columns IP
refused 87 "$metrics" /columns IP /wprom "$(winpath "$metrics")"
refused 87 "$metrics" /sprom "$(winpath "$metrics")" /sprom x.prom
refused 87 "$metrics" /wprom "$(winpath "$metrics")" /wtab x.tsv
refused 87 "$metrics" /sprom x.prom /wprom "$(winpath "$metrics")"
refused 87 "$metrics" /wprom "$(winpath "$metrics")" /sort IP
refused - "$readonly_fs/netpeek.prom" /sprom "$(winpath "$readonly_fs/netpeek.prom")"
refused - "$readonly_fs/netpeek.prom" /wprom "$(winpath "$readonly_fs/netpeek.prom")"
refused - "$E2E_WORK/folder.prom" /sprom "$(winpath "$E2E_WORK/folder.prom")"
refused - "$E2E_WORK/folder.prom" /wprom "$(winpath "$E2E_WORK/folder.prom")"
[ "$(ls -A "$readonly_fs")" = netpeek.prom ] || check_failed "$readonly_fs holds more than netpeek.prom"

step "/wprom FILE /ipv6: the file at its start"
rm -f "$metrics"
np_bg /wprom "$(winpath "$metrics")" /ipv6
watcher=$NP_PID
wait_file "$metrics" "$E2E_START_TIMEOUT" || e2e_fail "the watch wrote no file: $(cat "$E2E_WORK/err.txt")"
checked "$metrics" "the watch's first file"
is netpeek_address_changes_total 0 || check_failed "the watch starts with changes: $(cat "$metrics")"
base=$(value 'netpeek_addresses{family="ipv4"}')

step "a burst of addresses added while a reader copies the file: every copy whole, the file following"
mkdir "$E2E_WORK/copies"
python3 "$E2E_DIR/metrics.py" copy "$metrics" "$E2E_WORK/copies" "$E2E_WORK/stop" >"$E2E_WORK/reader.txt" &
reader=$!
for i in $(seq 1 16); do
    ip -n "$ns" addr add "10.4.0.$i/24" dev d1 || fail "cannot add 10.4.0.$i"
    sleep 0.5
done
follows "the burst" is 'netpeek_addresses{family="ipv4"}' $((base + 16))
touch "$E2E_WORK/stop"
wait "$reader"
read -r copies missing partial texts < <(sed 's/[a-z]*=//g' "$E2E_WORK/reader.txt")
echo "-- $E2E_NAME: the reader: $(cat "$E2E_WORK/reader.txt")"
[ "${copies:-0}" -ge 1000 ] || check_failed "the reader made only ${copies:-0} copies"
[ "${partial:-1}" = 0 ] || check_failed "the reader got $partial partial copies"
[ "${missing:-1}" = 0 ] || check_failed "the reader found no file $missing times"
# The first text and the burst's last at least, however slowly the machine lets the watch re-read.
[ "${texts:-0}" -ge 2 ] || check_failed "the reader saw only ${texts:-0} text: the file was not rewritten while it read"
for copy in "$E2E_WORK"/copies/*.prom; do
    checked "$copy" "the copy $(basename "$copy")"
    tail -n 1 "$copy" | grep -q '^netpeek_last_change_timestamp_seconds [0-9]*$' ||
        check_failed "the copy $(basename "$copy") does not end with the file's last line"
done
[ "$(value netpeek_address_changes_total)" = 16 ] || check_failed "16 addresses came, the counter says $(value netpeek_address_changes_total)"

step "an address that goes and one whose mask changes: followed and counted"
before=$(value netpeek_last_change_timestamp_seconds)
ip -n "$ns" addr del 10.4.0.16/24 dev d1 || fail "cannot remove 10.4.0.16"
follows "the address that went" lacks 'address="10.4.0.16"'
printf 'addr del 10.4.0.15/24 dev d1\naddr add 10.4.0.15/16 dev d1\n' | ip -n "$ns" -batch - || fail "cannot change a mask"
follows "the mask that changed" has 'address="10.4.0.15",prefix_length="16"'
is netpeek_address_changes_total 18 || check_failed "the counter says $(value netpeek_address_changes_total), not 18"
[ "$(value netpeek_last_change_timestamp_seconds)" -ge "$before" ] || check_failed "the last change's time went back"

step "d2's route deleted: the primary series moves to d1's address, as the Route column does"
ip -n "$ns" route del default via 10.2.0.254 dev d2 || fail "cannot delete d2's route"
follows "the route that went" has 'address="10.1.0.1",prefix_length="24",type="Primary",primary="1"'
has 'address="10.2.0.1",prefix_length="24",type="Primary",primary="0"' ||
    check_failed "d2's address is still primary: $(cat "$metrics")"
is 'netpeek_primary_addresses{family="ipv4"}' 1 || check_failed "no IPv4 primary address: $(cat "$metrics")"

step "every address gone: no series, the network's state none"
for link in lo npA npB d1 d2 d1p d2p; do
    ip -n "$ns" addr flush dev "$link" || fail "cannot flush the addresses of $link"
done
follows "the addresses that went" is 'netpeek_addresses{family="ipv4"}' 0
is 'netpeek_addresses{family="ipv6"}' 0 && is 'netpeek_network_state{state="none"}' 1 &&
    lacks 'netpeek_address_info{' || check_failed "the file still tells of an address: $(cat "$metrics")"

step "Ctrl+C ends the watch with 0 and leaves the last whole file"
cp "$metrics" "$E2E_WORK/last.prom"
NP_PID=$watcher
kill -INT "$watcher"
np_wait_exit || e2e_fail "Ctrl+C did not end the watch"
wait "$watcher"
[ $? = 0 ] || check_failed "Ctrl+C ended the watch with another code: $(cat "$E2E_WORK/err.txt")"
cmp -s "$metrics" "$E2E_WORK/last.prom" || check_failed "the watch's end changed its file"
[ "$(ls "$E2E_WORK" | grep -c '^~np')" = 0 ] || check_failed "a temporary file was left: $(ls "$E2E_WORK")"
e2e_finish
