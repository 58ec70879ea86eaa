#!/bin/bash
# Watching the table from the command line. Interfaces 12 and 47 carry 10.9.0.1, 10.100.0.1 and
# 10.10.0.1. Netpeek.com /wjson - writes a "present" line for each row of the table, as
# /scomma /nosort saves it, then one line for each change made meanwhile (an address added, then
# removed, a mask changed by replacing the address: "was" and "now"), and /wfor ends a watch with
# 0 by itself; Ctrl+C (SIGINT, which Wine hands to the console control handler) ends it with 0 after
# a whole line, into a new file that starts with the header. /wcomma FILE run twice on an empty
# file gives it the header and then appends, the first run's bytes kept and one header; a file with
# another header, or a CSV log for /wjson, is refused with 13 and left byte for byte; a full disk
# stops it with 112, one line on standard error and whole lines before; a pipe closed by its
# reader ends it with 0 and no message; bad lines end with 87 and one line on standard error. The
# end of the session ends either program's watch with 0.
# Netpeek.exe /wjson - /wfor 5 into a file writes the same lines and shows no window.
set -u
E2E_NAME=watch
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-watch-$$
twin=${NETPEEK_EXE%.exe}.com
[ -f "$twin" ] || fail "$twin is not built beside $NETPEEK_EXE"
full_fs=$E2E_WORK/full

# np_bg ARGS...: Netpeek.com (or NP_PROGRAM) ARGS in the namespace from the work folder, in the
# background: NP_PID, its standard output in out.txt and standard error in err.txt (with Wine's
# messages of NP_WINEDEBUG, where set).
np_bg() {
    (cd "$E2E_WORK" && exec ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG="${NP_WINEDEBUG:--all}" \
        wine "${NP_PROGRAM:-$twin}" "$@") >"$E2E_WORK/out.txt" 2>"$E2E_WORK/err.txt" &
    NP_PID=$!
}

# np_end [SECONDS]: waits until the program ends by itself, looking for a window of any kind all
# the while. CODE is its exit code; WINDOWED says whether a window showed.
np_end() {
    local end w
    WINDOWED=""
    end=$((SECONDS + ${1:-$E2E_START_TIMEOUT}))
    while kill -0 "$NP_PID" 2>/dev/null; do
        for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
            [[ "$NP_BEFORE" == *" $w "* ]] || WINDOWED=yes
        done
        [ "$SECONDS" -le "$end" ] || { kill "$NP_PID"; e2e_fail "Netpeek did not end by itself"; }
        sleep 0.1
    done
    wait "$NP_PID"
    CODE=$?
    NP_PID=""
}

# np_run ARGS...: the program with ARGS until it ends.
np_run() {
    NP_BEFORE=" $(xdotool search --onlyvisible --name '' 2>/dev/null | tr '\n' ' ') "
    np_bg "$@"
    np_end
}

# ran ARGS...: a run that must end with 0, no window and nothing on standard error.
ran() {
    np_run "$@"
    [ "$CODE" = 0 ] || check_failed "Netpeek $* ended with $CODE: $(cat "$E2E_WORK/err.txt")"
    [ -z "$WINDOWED" ] || check_failed "Netpeek $* showed a window"
    [ -s "$E2E_WORK/err.txt" ] && check_failed "Netpeek $* wrote to standard error: $(cat "$E2E_WORK/err.txt")"
    return 0
}

# one_line WHAT: standard error holds one line, "Netpeek: " and the reason.
one_line() {
    [ "$(tr -d '\r' <"$E2E_WORK/err.txt" | LC_ALL=C grep -c '^Netpeek: .')" = 1 ] &&
        [ "$(tr -d '\r' <"$E2E_WORK/err.txt" | wc -l)" = 1 ] ||
        check_failed "$1 did not say why in one line: $(cat -A "$E2E_WORK/err.txt")"
}

# refused CODE FILE ARGS...: a run that must end with CODE, one line on standard error, and
# FILE as it was before.
refused() {
    local want=$1 file=$2
    shift 2
    cp "$file" "$E2E_WORK/before"
    np_run "$@"
    [ "$CODE" = "$want" ] || check_failed "Netpeek $* ended with $CODE, not $want"
    one_line "Netpeek $*"
    cmp -s "$file" "$E2E_WORK/before" || check_failed "Netpeek $* changed $file"
}

# wait_lines FILE PATTERN COUNT [SECONDS]: until FILE has COUNT lines matching PATTERN.
wait_lines() {
    local end=$((SECONDS + ${4:-$E2E_TIMEOUT})) found
    while [ "$SECONDS" -le "$end" ]; do
        found=$(grep -c -- "$2" "$1" 2>/dev/null)
        [ "${found:-0}" -ge "$3" ] && return 0
        sleep 0.1
    done
    return 1
}

# whole_lines FILE FIELDS: every line of the CSV file ends with CR LF and has FIELDS fields, the
# first the header; prints how many lines there are.
whole_lines() {
    python3 - "$1" "$2" <<'PY'
import csv, sys
data = open(sys.argv[1], 'rb').read()
assert data.endswith(b'\r\n'), f'the file ends in the middle of a line: {data[-60:]!r}'
lines = data.split(b'\r\n')[:-1]
rows = list(csv.reader(line.decode('ascii') for line in lines))
assert rows[0][:2] == ['Time', 'Event'], f'no header first: {rows[0]}'
assert all(len(row) == int(sys.argv[2]) for row in rows), 'a line with other fields'
assert all(row[1] == 'present' for row in rows[1:]), 'a line that is no present line'
print(len(rows))
PY
}

step "links with indexes 12 and 47, three addresses, and a small file system"
netns_create "$ns"
two_links "$ns"
e2e_mount "$full_fs" size=64k
e2e_prefix "$ns"

step "Netpeek.com /wjson -: the table's rows, then each change once"
ran /scomma - /nosort
cp "$E2E_WORK/out.txt" "$E2E_WORK/expected.csv"
check_export "$E2E_WORK/expected.csv" "$ns"
rows=$(($(wc -l <"$E2E_WORK/expected.csv") - 1))
NP_BEFORE=" $(xdotool search --onlyvisible --name '' 2>/dev/null | tr '\n' ' ') "
# Its /wfor is long enough for every change, each seen at a re-read however slow the machine
# makes them; the /wfor that ends a watch by itself is the later steps'.
np_bg /wjson - /wfor 600
# Each change waits until its line is out, so that every one is seen by a read of its own.
wait_lines "$E2E_WORK/out.txt" '"Event": "present"' "$rows" "$E2E_START_TIMEOUT" ||
    check_failed "the present lines did not come: $(cat "$E2E_WORK/out.txt" "$E2E_WORK/err.txt")"
ip -n "$ns" addr add 10.5.0.1/24 dev v47 || fail "cannot add an address"
wait_lines "$E2E_WORK/out.txt" '"Event": "added"' 1 "$E2E_FOLLOW_TIMEOUT" || check_failed "no line for the address added"
ip -n "$ns" addr del 10.5.0.1/24 dev v47 || fail "cannot remove the address"
wait_lines "$E2E_WORK/out.txt" '"Event": "removed"' 1 "$E2E_FOLLOW_TIMEOUT" ||
    check_failed "no line for the address removed"
printf 'addr del 10.9.0.1/24 dev v12\naddr add 10.9.0.1/16 dev v12\n' | ip -n "$ns" -batch - ||
    fail "cannot give 10.9.0.1 another mask"
wait_lines "$E2E_WORK/out.txt" '"Event": "now"' 1 "$E2E_FOLLOW_TIMEOUT" || check_failed "no lines for the mask changed"
kill -INT "$NP_PID"
np_end "$E2E_TIMEOUT"
[ "$CODE" = 0 ] || check_failed "the watch ended with $CODE: $(cat "$E2E_WORK/err.txt")"
[ -s "$E2E_WORK/err.txt" ] && check_failed "the watch wrote to standard error: $(cat "$E2E_WORK/err.txt")"
[ -z "$WINDOWED" ] || check_failed "the watch showed a window"
report=$(python3 - "$E2E_WORK/out.txt" "$E2E_WORK/expected.csv" <<'PY' 2>&1
import csv, json, re, sys
data = open(sys.argv[1], 'rb').read()
assert data.isascii() and data.endswith(b'\r\n'), 'not ASCII lines with CR LF'
with open(sys.argv[2], encoding='utf-8', newline='') as f:
    table = list(csv.reader(f))
headers, rows = table[0], table[1:]
objects = [json.loads(line) for line in data.decode('ascii').split('\r\n')[:-1]]
assert all(list(o) == ['Time', 'Event'] + headers for o in objects), 'keys out of their order'
assert all(re.fullmatch(r'\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d', o['Time']) for o in objects), 'a time'
times = [o['Time'] for o in objects]
assert times == sorted(times), 'the times go back'
got = [[o['Event']] + [o[h] for h in headers] for o in objects]
want = [['present'] + row for row in rows] + [
    ['added', '47', '10.5.0.1', '255.255.255.0', '1.0.0.0', '65535', 'Primary'],
    ['removed', '47', '10.5.0.1', '255.255.255.0', '1.0.0.0', '65535', 'Primary'],
    ['was', '12', '10.9.0.1', '255.255.255.0', '1.0.0.0', '65535', 'Primary'],
    ['now', '12', '10.9.0.1', '255.255.0.0', '1.0.0.0', '65535', 'Primary'],
]
assert got == want, f'the lines are {got}'
PY
) || check_failed "the watch's lines are not the table and its changes: $report"

step "Ctrl+C (SIGINT to Wine) ends the watch with 0 after a whole line, through its own handler"
# Wine's default handler would end the process with 0 too, but says so on its console channel.
NP_WINEDEBUG=-all,fixme+console np_bg /wcomma "$(winpath "$E2E_WORK/ctrlc.csv")"
wait_lines "$E2E_WORK/ctrlc.csv" '"present"' "$rows" "$E2E_START_TIMEOUT" || check_failed "no present lines in ctrlc.csv"
kill -INT "$NP_PID"
np_end "$E2E_TIMEOUT"
[ "$CODE" = 0 ] || check_failed "Ctrl+C ended the watch with $CODE"
grep -q default_ctrl_handler "$E2E_WORK/err.txt" && check_failed "Wine's default handler, not the watch's, took Ctrl+C"
[ "$(whole_lines "$E2E_WORK/ctrlc.csv" 8)" = $((rows + 1)) ] || check_failed "ctrlc.csv is not the header and the rows"

step "the end of the session (wineboot -e) ends either program's /wtab FILE with 0 after whole lines"
# A console program that shows no window is never told of a logoff or a shutdown: both watch
# through a hidden top-level window, which hears the session end.
for program in "$twin" "$NETPEEK_EXE"; do
    # The window that hears the session end is made once Wine can make one again, after the end
    # of the session before.
    e2e_windows_ready "$ns"
    session=$E2E_WORK/session-$(basename "$program").tsv
    NP_BEFORE=" $(xdotool search --onlyvisible --name '' 2>/dev/null | tr '\n' ' ') "
    NP_PROGRAM=$program np_bg /wtab "$(winpath "$session")"
    wait_lines "$session" $'\tpresent\t' "$rows" "$E2E_START_TIMEOUT" ||
        check_failed "$(basename "$program") wrote no present lines into $(basename "$session")"
    ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine wineboot -e >>"$E2E_WORK/wine.log" 2>&1
    np_end "$E2E_TIMEOUT"
    [ "$CODE" = 0 ] || check_failed "the end of the session ended $(basename "$program")'s watch with $CODE"
    [ "$(tr -d '\r' <"$session" | wc -l)" = $((rows + 1)) ] && [ "$(tail -c 2 "$session" | od -An -tx1)" = " 0d 0a" ] ||
        check_failed "$(basename "$session") is not the header and a whole line per row: $(cat -A "$session")"
done

step "/wcomma FILE twice, first onto an empty file: appended, the first run's bytes and one header"
log=$E2E_WORK/changes.csv
: >"$log"
ran /wcomma "$(winpath "$log")" /wfor 1
[ "$(head -n 1 "$log")" = $'"Time","Event","Interface","IP","Mask","Broadcast","Realm size","Type"\r' ] ||
    check_failed "the empty file did not get the header first: $(head -n 1 "$log")"
cp "$log" "$E2E_WORK/first.csv"
ran /WCOMMA "$(winpath "$log")" -wfor 1
cmp -s "$E2E_WORK/first.csv" <(head -c "$(stat -c %s "$E2E_WORK/first.csv")" "$log") ||
    check_failed "the second run did not keep the first run's bytes"
[ "$(grep -c '^"Time","Event",' "$log")" = 1 ] || check_failed "the header was written again: $(cat "$log")"
[ "$(whole_lines "$log" 8)" = $((2 * rows + 1)) ] || check_failed "changes.csv is not two runs' lines: $(cat "$log")"

step "a file with another header, or a CSV log for /wjson: refused with 13, left as it was"
printf '"Interface","IP"\r\n"1","127.0.0.1"\r\n' >"$E2E_WORK/other.csv"
refused 13 "$E2E_WORK/other.csv" /wcomma "$(winpath "$E2E_WORK/other.csv")" /wfor 1
refused 13 "$log" /wjson "$(winpath "$log")" /wfor 1
refused 13 "$log" /wcomma "$(winpath "$log")" /wfor 1 /columns IP

step "bad lines: 87 and one line on standard error"
refused 87 "$log" /wjson - /sort IP
refused 87 "$log" /wjson - /scomma "$(winpath "$log")"
refused 87 "$log" /wfor 0
refused 87 "$log" /wjson - /wfor 0

step "Netpeek.exe /wjson - /wfor 5 into a file: the present lines, no window"
NP_PROGRAM=$NETPEEK_EXE ran /wjson - /wfor 5
report=$(python3 - "$E2E_WORK/out.txt" "$rows" <<'PY' 2>&1
import json, sys
lines = open(sys.argv[1], 'rb').read().decode('ascii').split('\r\n')
assert lines[-1] == '', 'no CR LF at the end'
events = [json.loads(line)['Event'] for line in lines[:-1]]
assert events == ['present'] * int(sys.argv[2]), f'events {events}'
PY
) || check_failed "Netpeek.exe /wjson - did not write the present lines: $report"

step "a pipe closed by its reader: the watch ends with 0 and no message"
netns_add_many "$ns" 60
rows=$((rows + 60))
# The program's own exit code, not head's: the pipeline's first status, kept in a file.
(cd "$E2E_WORK" && ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine "$twin" /wjson - /wfor 600 \
    2>"$E2E_WORK/err.txt" | head -n 3 >"$E2E_WORK/head.txt"; echo "${PIPESTATUS[0]}" >"$E2E_WORK/code.txt") &
piped=$!
wait_lines "$E2E_WORK/head.txt" '"present"' 3 "$E2E_START_TIMEOUT" || check_failed "head did not get three lines"
# head has gone: the next line, of this change, finds the pipe closed.
ip -n "$ns" addr add 10.6.0.1/24 dev v47 || fail "cannot add an address"
end=$((SECONDS + E2E_FOLLOW_TIMEOUT))
while kill -0 "$piped" 2>/dev/null && [ "$SECONDS" -le "$end" ]; do sleep 0.1; done
kill -0 "$piped" 2>/dev/null && e2e_fail "the watch went on after its pipe was closed"
wait "$piped"
[ "$(cat "$E2E_WORK/code.txt")" = 0 ] || check_failed "the closed pipe ended the watch with $(cat "$E2E_WORK/code.txt")"
[ -s "$E2E_WORK/err.txt" ] && check_failed "the closed pipe gave a message: $(cat "$E2E_WORK/err.txt")"

step "a full disk: 112, one line on standard error, and whole lines before"
# One page of the file system is left, less than the header and the lines of all the rows.
dd if=/dev/zero of="$full_fs/filler" bs=1k count=60 2>/dev/null || fail "cannot fill $full_fs"
np_run /wcomma "$(winpath "$full_fs/changes.csv")" /wfor 5
[ "$CODE" = 112 ] || check_failed "the full disk ended the watch with $CODE, not 112"
one_line "the watch on a full disk"
lines=$(whole_lines "$full_fs/changes.csv" 8) || check_failed "the full disk's log has a broken line: $lines"
[ "${lines:-0}" -gt 1 ] && [ "${lines:-0}" -le "$rows" ] ||
    check_failed "the full disk's log holds $lines lines of $((rows + 1))"
e2e_finish
