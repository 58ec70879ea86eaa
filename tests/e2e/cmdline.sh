#!/bin/bash
# Saving from the command line. Interfaces 12 and 47 carry 10.9.0.1, 10.100.0.1 and 10.10.0.1
# (as text 10.10 < 10.100 < 10.9). /scomma into a file and into standard output writes the
# bytes of an F2 export of the same table; /stab, /sjson and /shtml read back as the same rows;
# /sort ~IP, the sort stored by the window and /nosort order them; no window appears and
# nothing is stored; a bad switch and a file on a read-only file system end with a non-zero
# code, a line on standard error and the earlier file as it was; with nowhere to write that
# line, the error box says it.
set -u
E2E_NAME=cmdline
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-cmdline-$$
readonly_fs=$E2E_WORK/ro

# np_run ARGS...: Netpeek.exe ARGS from the work folder, its standard output in out.txt and
# standard error in err.txt; waits until it ends by itself, looking for a Netpeek window all
# the while. CODE is its exit code; WINDOWED says whether a window showed.
np_run() {
    local end
    np_launch_std "$@"
    WINDOWED=""
    end=$((SECONDS + E2E_START_TIMEOUT))
    while kill -0 "$NP_PID" 2>/dev/null; do
        xdotool search --onlyvisible --name '^Netpeek' >/dev/null 2>&1 && WINDOWED=yes
        [ "$SECONDS" -le "$end" ] || { kill "$NP_PID"; e2e_fail "Netpeek $* did not end by itself"; }
        sleep 0.1
    done
    wait "$NP_PID"
    CODE=$?
    NP_PID=""
}

np_launch_std() {
    (cd "$E2E_WORK" && exec ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine "$NETPEEK_EXE" "$@") \
        >"$E2E_WORK/out.txt" 2>"$E2E_WORK/err.txt" &
    NP_PID=$!
}

# saved ARGS...: a run that must end with 0, no window and nothing on standard error.
saved() {
    np_run "$@"
    [ "$CODE" = 0 ] || check_failed "Netpeek $* ended with $CODE: $(cat "$E2E_WORK/err.txt")"
    [ -z "$WINDOWED" ] || check_failed "Netpeek $* showed a window"
    [ -s "$E2E_WORK/err.txt" ] && check_failed "Netpeek $* wrote to standard error: $(cat "$E2E_WORK/err.txt")"
    return 0
}

# refused CODE FILE ARGS...: a run that must end with CODE (or any non-zero code for "-"), one
# line on standard error, no window, and FILE as it was before.
refused() {
    local want=$1 file=$2
    shift 2
    cp "$file" "$E2E_WORK/before"
    np_run "$@"
    if [ "$want" = - ]; then [ "$CODE" != 0 ]; else [ "$CODE" = "$want" ]; fi ||
        check_failed "Netpeek $* ended with $CODE, not ${want/-/non-zero}"
    [ -z "$WINDOWED" ] || check_failed "Netpeek $* showed a window"
    [ "$(tr -d '\r' <"$E2E_WORK/err.txt" | grep -c '^Netpeek: .')" = 1 ] ||
        check_failed "Netpeek $* did not say why in one line: $(cat -A "$E2E_WORK/err.txt")"
    cmp -s "$file" "$E2E_WORK/before" || check_failed "Netpeek $* changed $file"
}

step "links with indexes 12 and 47, three addresses, and a read-only file system"
netns_create "$ns"
two_links "$ns"
e2e_mount "$readonly_fs" size=64k
expect_text "$readonly_fs/list.csv" lo
mount -o remount,ro "$readonly_fs" || fail "cannot make $readonly_fs read-only"
e2e_prefix "$ns"
np_reg "$ns" delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\Netpeek.exe' /f >/dev/null

step "/scomma FILE and /scomma \"\": the table's own order, no window"
expect_text "$E2E_WORK/expected.csv" 9 10 100 lo
saved /scomma "$(winpath "$E2E_WORK/comma.csv")"
same "$E2E_WORK/expected.csv" "$E2E_WORK/comma.csv" "/scomma FILE did not write the export's bytes"
saved -SCOMMA ""
same "$E2E_WORK/expected.csv" "$E2E_WORK/out.txt" "/scomma \"\" did not write the export's bytes to standard output"

step "/stab, /sjson and /shtml read back as the same rows"
saved /stab "$(winpath "$E2E_WORK/table.tsv")"
saved /sjson "$(winpath "$E2E_WORK/table.json")"
saved /shtml "$(winpath "$E2E_WORK/table.html")"
report=$(python3 - "$E2E_WORK" <<'PY' 2>&1
import csv, html.parser, json, sys
work = sys.argv[1]
with open(f'{work}/expected.csv', encoding='utf-8', newline='') as f:
    rows = list(csv.reader(f))
with open(f'{work}/table.tsv', encoding='utf-8', newline='') as f:
    text = f.read()
assert '"' not in text and text.endswith('\r\n'), 'the tab text has quotes or no CR LF at its end'
tab = list(csv.reader(text.splitlines(), delimiter='\t', quoting=csv.QUOTE_NONE))
assert tab == rows, f'/stab: {tab}'
with open(f'{work}/table.json', encoding='utf-8') as f:
    objects = json.load(f)
assert objects == [dict(zip(rows[0], row)) for row in rows[1:]], f'/sjson: {objects}'
assert all(list(o) == rows[0] for o in objects), '/sjson: keys out of column order'
class Cells(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.rows, self.cell = [], None
    def handle_starttag(self, tag, attrs):
        if tag == 'tr': self.rows.append([])
        if tag in ('td', 'th'): self.cell = ''
    def handle_data(self, data):
        if self.cell is not None: self.cell += data
    def handle_endtag(self, tag):
        if tag in ('td', 'th'): self.rows[-1].append(self.cell); self.cell = None
page = Cells()
with open(f'{work}/table.html', encoding='utf-8') as f:
    source = f.read()
page.feed(source)
assert page.rows == rows, f'/shtml: {page.rows}'
assert 'Netpeek 1.00' in source and '<meta charset="utf-8">' in source, '/shtml: no program, version or charset'
PY
) || check_failed "a format does not hold the table: $report"

step "/sort ~IP, the stored sort, and /nosort"
expect_text "$E2E_WORK/expected.csv" lo 100 10 9
saved /scomma "" /sort ~IP
same "$E2E_WORK/expected.csv" "$E2E_WORK/out.txt" "/sort ~IP did not order the rows by address, descending"
np_reg "$ns" add 'HKCU\Software\Brindle\Netpeek' /v 'IPs List Sort' /d '0,1' /f >/dev/null || fail "cannot store a sort"
expect_text "$E2E_WORK/expected.csv" 10 9 100 lo
saved /scomma ""
same "$E2E_WORK/expected.csv" "$E2E_WORK/out.txt" "the sort stored by the window (Interface, descending) was not used"
expect_text "$E2E_WORK/expected.csv" 9 10 100 lo
saved /nosort /scomma ""
same "$E2E_WORK/expected.csv" "$E2E_WORK/out.txt" "/nosort did not keep the table's order"

step "nothing was stored or registered"
np_reg "$ns" delete 'HKCU\Software\Brindle\Netpeek' /v 'IPs List Sort' /f >/dev/null || fail "cannot remove the stored sort"
[ "$(np_reg "$ns" query 'HKCU\Software\Brindle\Netpeek' /s | tr -d '\r' | grep -c 'REG_')" = 0 ] ||
    check_failed "saving from the command line stored settings"
np_reg "$ns" query 'HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\Netpeek.exe' >/dev/null &&
    check_failed "saving from the command line registered the program's path"

step "a bad switch and a read-only target: an exit code, a line on standard error, the file as it was"
expect_text "$E2E_WORK/comma.csv" lo
refused 87 "$E2E_WORK/comma.csv" /scomma "$(winpath "$E2E_WORK/comma.csv")" /bogus
refused 87 "$E2E_WORK/comma.csv" /scomma "$(winpath "$E2E_WORK/comma.csv")" /sort Address
refused 87 "$E2E_WORK/comma.csv" /scomma
refused - "$readonly_fs/list.csv" /scomma "$(winpath "$readonly_fs/list.csv")"
[ "$CODE" != 87 ] || check_failed "the failed write ended with the usage error's code"
[ "$(ls -A "$readonly_fs")" = list.csv ] || check_failed "$readonly_fs holds more than list.csv"

step "/? shows the usage and ends with 0"
np_run /?
[ "$CODE" = 0 ] || check_failed "/? ended with $CODE"
grep -q '/scomma' "$E2E_WORK/err.txt" && grep -q '/sort' "$E2E_WORK/err.txt" ||
    check_failed "/? did not show the switches: $(cat "$E2E_WORK/err.txt")"

step "started by the shell, with no standard error: the error box says it, and the code stays"
# start.exe starts it as Explorer would, with no standard handles, and waits for its code.
(cd "$E2E_WORK" && exec ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all \
    wine start /wait /unix "$NETPEEK_EXE" /bogus) >"$E2E_WORK/out.txt" 2>"$E2E_WORK/err.txt" &
NP_PID=$!
if box=$(wait_window '^Netpeek$' "" "$E2E_START_TIMEOUT"); then
    e2e_shot error-box >/dev/null
    keys "$box" Return
    wait_gone "$box" || check_failed "OK did not close the error box"
    end=$((SECONDS + E2E_TIMEOUT))
    while kill -0 "$NP_PID" 2>/dev/null && [ "$SECONDS" -le "$end" ]; do sleep 0.1; done
    kill -0 "$NP_PID" 2>/dev/null && e2e_fail "the program did not end after its error box"
    wait "$NP_PID"
    code=$?
    NP_PID=""
    [ "$code" = 87 ] || check_failed "/bogus with its error box ended with $code, not 87"
    [ -s "$E2E_WORK/err.txt" ] && check_failed "the message went to standard error too: $(cat "$E2E_WORK/err.txt")"
else
    check_failed "no error box for /bogus started with no standard error"
fi
step "the window still starts without arguments, and F2 writes the same bytes as /scomma"
np_start "$ns"
np_export "$E2E_WORK/f2.csv"
np_close_esc
expect_text "$E2E_WORK/expected.csv" 9 10 100 lo
same "$E2E_WORK/expected.csv" "$E2E_WORK/f2.csv" "F2 did not write the bytes /scomma writes"
e2e_finish
