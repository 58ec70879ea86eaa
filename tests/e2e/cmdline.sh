#!/bin/bash
# Saving from the command line. Interfaces 12 and 47 carry 10.9.0.1, 10.100.0.1 and 10.10.0.1
# (as text 10.10 < 10.100 < 10.9). /scomma into a file and into standard output ("" or -), by
# Netpeek.exe and by its console twin Netpeek.com, writes the bytes of an F2 export of the same
# table; /stab, /sjson and /shtml read back as the same rows, in ASCII; /sort ~IP, the sort
# stored by the window and /nosort order them; /ipv6, or a stored Show IPv6 of "1", adds the
# IPv6 rows after the IPv4 ones and /noipv6 saves exactly the IPv4 table; no window appears
# and nothing is stored; a bad switch and a file on a read-only file system end with a
# non-zero code, a line on standard error and the earlier file as it was; /? writes the usage
# to standard output; redirected, the usage and that line are whole in the OEM code page (866
# under LC_ALL=ru_RU.UTF-8), the program's own texts; with nowhere to write, the error box says it, but never the twin's. The
# twin without a switch starts the window from its own folder and ends with 0; with no
# Netpeek.exe there it says so and fails. With Language "en" stored, /? and a bad switch's line
# are the English texts, and a save writes the same bytes.
set -u
E2E_NAME=cmdline
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-cmdline-$$
twin=${NETPEEK_EXE%.exe}.com
[ -f "$twin" ] || fail "$twin is not built beside $NETPEEK_EXE"
readonly_fs=$E2E_WORK/ro

# np_run ARGS...: Netpeek.exe (or NP_PROGRAM) ARGS from the work folder, its standard output in
# out.txt and standard error in err.txt; waits until it ends by itself, looking for a window of
# any kind all the while. CODE is its exit code; WINDOWED says whether a window showed.
np_run() {
    local end before w
    before=" $(xdotool search --onlyvisible --name '' 2>/dev/null | tr '\n' ' ') "
    np_launch_std "$@"
    WINDOWED=""
    end=$((SECONDS + E2E_START_TIMEOUT))
    while kill -0 "$NP_PID" 2>/dev/null; do
        for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
            [[ "$before" == *" $w "* ]] || WINDOWED=yes
        done
        [ "$SECONDS" -le "$end" ] || { kill "$NP_PID"; e2e_fail "Netpeek $* did not end by itself"; }
        sleep 0.1
    done
    wait "$NP_PID"
    CODE=$?
    NP_PID=""
}

# NP_LC_ALL, where set, is the runs' LC_ALL: ru_RU.UTF-8 gives Wine the OEM code page 866.
np_launch_std() {
    (cd "$E2E_WORK" && exec ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all \
        ${NP_LC_ALL:+LC_ALL=$NP_LC_ALL} wine "${NP_PROGRAM:-$NETPEEK_EXE}" "$@") \
        >"$E2E_WORK/out.txt" 2>"$E2E_WORK/err.txt" &
    NP_PID=$!
}

# oem_text FILE NAME [BEFORE [VALUE]]: FILE, read as code page 866, is whole the text NAME as
# texts/Russian.cpp (or, with NP_TEXTS=English, texts/English.cpp) holds it, its %1 filled with
# VALUE, after BEFORE, with a final CR LF. 866 has no « » or —: there the program writes ASCII
# quotes and hyphens, as Windows' own Russian console programs do. English has no Cyrillic letter.
oem_text() {
    python3 - "$E2E_DIR/../../texts/${NP_TEXTS:-Russian}.cpp" "$@" <<'PY' 2>&1
import re, sys
source, got_file, name = sys.argv[1:4]
before, value = (sys.argv[4:] + ['', ''])[:2]
with open(source, encoding='utf-8') as f:
    entry = re.search(r'\{TextId::' + name + r',\s*((?:L"(?:[^"\\]|\\.)*"\s*)+)\}', f.read())
assert entry, f'no {name} in {source}'
text = ''.join(re.findall(r'L"((?:[^"\\]|\\.)*)"', entry.group(1)))
text = re.sub(r'\\(.)', lambda m: {'r': '\r', 'n': '\n'}.get(m.group(1), m.group(1)), text)
want = (before + text.replace('%1', value, 1) + '\r\n').translate({0xAB: '"', 0xBB: '"', 0x2014: '-'})
with open(got_file, 'rb') as f:
    got = f.read().decode('cp866')
english = source.endswith('English.cpp')
words = ('address table', 'Unknown command-line argument') if english else ('таблицу адресов', 'Непонятный аргумент')
assert any(word in want for word in words), f'{name} is not the text it was'
assert not english or not re.search('[\u0400-\u04ff]', got), f'a Cyrillic letter in {got!r}'
if got != want:
    at = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
    sys.exit(f'{len(got)} characters, not {len(want)}; from {at}: {got[at:at + 40]!r}, not {want[at:at + 40]!r}')
PY
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
    # Read as bytes: the line is in the OEM code page, which need not be the shell's.
    [ "$(tr -d '\r' <"$E2E_WORK/err.txt" | LC_ALL=C grep -c '^Netpeek: .')" = 1 ] ||
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
saved /scomma -
same "$E2E_WORK/expected.csv" "$E2E_WORK/out.txt" "/scomma - did not write the export's bytes to standard output"
NP_PROGRAM=$twin saved /scomma -
same "$E2E_WORK/expected.csv" "$E2E_WORK/out.txt" "Netpeek.com /scomma - did not write the export's bytes"
NP_PROGRAM=$twin saved /scomma '.\-'
same "$E2E_WORK/expected.csv" "$E2E_WORK/-" "Netpeek.com /scomma .\\- did not write the file named -"
[ -s "$E2E_WORK/out.txt" ] && check_failed "/scomma .\\- wrote to standard output"

step "/stab, /sjson and /shtml read back as the same rows"
saved /stab "$(winpath "$E2E_WORK/table.tsv")"
saved /sjson "$(winpath "$E2E_WORK/table.json")"
saved /shtml "$(winpath "$E2E_WORK/table.html")"
report=$(python3 - "$E2E_WORK" <<'PY' 2>&1
import csv, html.parser, json, sys
work = sys.argv[1]
with open(f'{work}/expected.csv', encoding='utf-8', newline='') as f:
    rows = list(csv.reader(f))
for name in ('table.tsv', 'table.json', 'table.html'):
    with open(f'{work}/{name}', 'rb') as f:
        assert f.read().isascii(), f'{name} is not ASCII'
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

step "/ipv6 adds the IPv6 rows after the IPv4 ones, /noipv6 leaves them out, else Show IPv6"
ip -n "$ns" -6 addr add fd00::1/64 dev v12 nodad || fail "cannot add an IPv6 address"
expect_text "$E2E_WORK/expected.csv" 9 10 100 lo
saved /scomma - /nosort /noipv6
same "$E2E_WORK/expected.csv" "$E2E_WORK/out.txt" "/noipv6 did not save the IPv4 table alone"
saved /scomma - /nosort /ipv6
cp "$E2E_WORK/out.txt" "$E2E_WORK/ipv6.csv"
[ "$(wc -l <"$E2E_WORK/ipv6.csv")" -gt "$(wc -l <"$E2E_WORK/expected.csv")" ] &&
    head -n "$(wc -l <"$E2E_WORK/expected.csv")" "$E2E_WORK/ipv6.csv" | cmp -s - "$E2E_WORK/expected.csv" ||
    check_failed "/ipv6 did not add rows after the IPv4 table as it was: $(cat "$E2E_WORK/ipv6.csv")"
grep -q '^"12","fd00::1","/64",' "$E2E_WORK/ipv6.csv" ||
    check_failed "/ipv6 did not save fd00::1 on link 12 with its prefix length: $(cat "$E2E_WORK/ipv6.csv")"
np_setting "$ns" 'Show IPv6' 1
saved /scomma - /nosort
same "$E2E_WORK/ipv6.csv" "$E2E_WORK/out.txt" "a stored Show IPv6 of 1 did not add the IPv6 rows"
saved /scomma - /nosort /NOIPV6
same "$E2E_WORK/expected.csv" "$E2E_WORK/out.txt" "/noipv6 did not win over the stored Show IPv6"
np_reg "$ns" delete 'HKCU\Software\Brindle\Netpeek' /v 'Show IPv6' /f >/dev/null || fail "cannot remove Show IPv6"

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
NP_LC_ALL=ru_RU.UTF-8 NP_PROGRAM=$twin refused 87 "$E2E_WORK/comma.csv" /bogus
report=$(oem_text "$E2E_WORK/err.txt" UnknownArgument "Netpeek: " /bogus) ||
    check_failed "Netpeek.com /bogus did not say so in code page 866 on standard error: $report"
refused - "$readonly_fs/list.csv" /scomma "$(winpath "$readonly_fs/list.csv")"
[ "$CODE" != 87 ] || check_failed "the failed write ended with the usage error's code"
[ "$(ls -A "$readonly_fs")" = list.csv ] || check_failed "$readonly_fs holds more than list.csv"

step "/? writes the usage to standard output and ends with 0, in the OEM code page there"
for program in "$NETPEEK_EXE" "$twin"; do
    NP_LC_ALL=ru_RU.UTF-8 NP_PROGRAM=$program saved /?
    report=$(oem_text "$E2E_WORK/out.txt" Usage) ||
        check_failed "$(basename "$program") /? into a file is not the usage in code page 866: $report"
done
(set -o pipefail; cd "$E2E_WORK" && ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all LC_ALL=ru_RU.UTF-8 \
    wine "$twin" /? | cat >"$E2E_WORK/piped.txt") || check_failed "Netpeek.com /? | cat failed"
report=$(oem_text "$E2E_WORK/piped.txt" Usage) ||
    check_failed "Netpeek.com /? into a pipe is not the usage in code page 866: $report"

step "with Language \"en\" stored: /? and a bad switch's line in English, a save's bytes as in Russian"
np_setting "$ns" Language en
NP_LC_ALL=ru_RU.UTF-8 NP_PROGRAM=$twin saved /?
report=$(NP_TEXTS=English oem_text "$E2E_WORK/out.txt" Usage) ||
    check_failed "Netpeek.com /? with Language en is not the English usage: $report"
NP_LC_ALL=ru_RU.UTF-8 NP_PROGRAM=$twin refused 87 "$E2E_WORK/comma.csv" /bogus
report=$(NP_TEXTS=English oem_text "$E2E_WORK/err.txt" UnknownArgument "Netpeek: " /bogus) ||
    check_failed "Netpeek.com /bogus with Language en did not say so in English: $report"
expect_text "$E2E_WORK/expected.csv" 9 10 100 lo
NP_PROGRAM=$twin saved /scomma - /nosort
same "$E2E_WORK/expected.csv" "$E2E_WORK/out.txt" "with Language en, /scomma wrote other bytes"
np_reg "$ns" delete 'HKCU\Software\Brindle\Netpeek' /v Language /f >/dev/null || fail "cannot remove Language"

step "started by the shell, with no standard handles: the box says it, and the code stays"
# start.exe starts it as Explorer would, with no standard handles, and waits for its code.
boxed() {
    local want=$1 code end box
    shift
    (cd "$E2E_WORK" && exec ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all \
        wine start /wait /unix "$NETPEEK_EXE" "$@") >"$E2E_WORK/out.txt" 2>"$E2E_WORK/err.txt" &
    NP_PID=$!
    if ! box=$(wait_window '^Netpeek$' "" "$E2E_START_TIMEOUT"); then
        check_failed "no box for $* started with no standard handles"
        return
    fi
    e2e_shot "box$1" >/dev/null
    keys "$box" Return
    wait_gone "$box" || check_failed "OK did not close the box of $*"
    end=$((SECONDS + E2E_TIMEOUT))
    while kill -0 "$NP_PID" 2>/dev/null && [ "$SECONDS" -le "$end" ]; do sleep 0.1; done
    kill -0 "$NP_PID" 2>/dev/null && e2e_fail "the program did not end after its box"
    wait "$NP_PID"
    code=$?
    NP_PID=""
    [ "$code" = "$want" ] || check_failed "$* with its box ended with $code, not $want"
    [ -s "$E2E_WORK/err.txt" ] && check_failed "$* wrote to standard error too: $(cat "$E2E_WORK/err.txt")"
}
boxed 87 /bogus
boxed 0 /?

step "the window still starts without arguments, and F2 writes the same bytes as /scomma"
np_start "$ns"
np_export "$E2E_WORK/f2.csv"
np_close_esc
expect_text "$E2E_WORK/expected.csv" 9 10 100 lo
same "$E2E_WORK/expected.csv" "$E2E_WORK/f2.csv" "F2 did not write the bytes /scomma writes"

step "Netpeek.com without a switch starts Netpeek.exe beside it and ends with 0 at once"
NP_PROGRAM=$twin np_run
[ "$CODE" = 0 ] || check_failed "Netpeek.com ended with $CODE: $(cat "$E2E_WORK/err.txt")"
if NP_WIN=$(wait_window '^Netpeek$' "" "$E2E_START_TIMEOUT"); then
    keys "$NP_WIN" Escape
    wait_gone "$NP_WIN" || check_failed "Esc did not close the window that Netpeek.com started"
else
    check_failed "no window after Netpeek.com, which ended first"
fi

step "Netpeek.com alone in its folder: no search elsewhere, a line on standard error, a code"
# The work folder, its current folder, holds a Netpeek.exe that a search would find.
mkdir "$E2E_WORK/alone" && cp "$twin" "$E2E_WORK/alone/" && cp "$NETPEEK_EXE" "$E2E_WORK/" ||
    fail "cannot copy the programs"
NP_PROGRAM=$E2E_WORK/alone/Netpeek.com refused - "$E2E_WORK/comma.csv"
grep -q 'alone\\Netpeek.exe' "$E2E_WORK/err.txt" || check_failed "the line does not name the missing program"
e2e_finish
