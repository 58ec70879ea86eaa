#!/bin/bash
# The interfaces' columns and hidden interfaces. In a namespace where npA has the default
# route's gateway, resolv.conf names two servers and a third pair has npC set down (so npD has
# no carrier), every cell of the extra columns is what `ip` says of the row's link: the columns
# stored before a start show; the header's menu copies the IP column clicked, a line a cell, in the
# list's order; one added by a right click on the header and the rest through the
# context menu's "Столбцы" go to the right end and are stored in that order; two pictures of
# the list 5 seconds apart are the same, as Wine's lease never changes; "Скрыть интерфейс"
# leaves out every row of the selected row's interface, also after a restart and in a save
# from the command line without /allinterfaces, until "Показать все интерфейсы". Netpeek.com
# /columns saves exactly the columns it names; /columns Bogus is refused.
set -u
E2E_NAME=interfaces
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-interfaces-$$
twin=${NETPEEK_EXE%.exe}.com
[ -f "$twin" ] || fail "$twin is not built beside $NETPEEK_EXE"
facts=$E2E_WORK/facts
base='Interface,IP,Mask,Broadcast,Realm size,Type'
# The order in which the scenario adds them.
added='Name,Gateway,MAC,Adapter,Status,DNS,DHCP server,Lease expires'
# Local time 5:45 ahead of UTC, for Wine and for the checks alike, so that a lease written in
# UTC, or a whole number of hours off, is wrong.
export TZ=NPT-5:45

# check_list FILE WHAT COLUMNS [HIDDEN-LINK]: FILE holds the namespace's rows, but for the
# hidden link's, with those columns, each cell what ip says (table.py cells).
check_list() {
    local report
    report=$(python3 "$E2E_DIR/table.py" cells "$1" "$facts" "$3" "$(date +%s)" ${4:+"$4"} 2>&1) ||
        check_failed "$2: $report"
}

# copy_list FILE: Ctrl+C with no row selected; what the clipboard then holds.
copy_list() {
    np_copy "$ns" "$NP_WIN" "$1"
}

# export_list FILE: the list as F2 writes it, whatever row is selected.
export_list() {
    rm -f "$1"
    np_export "$1"
}

# popup COMMAND...: runs the command that opens a menu, and waits for the menu's window
# (MENU_WINDOW), which has no title.
popup() {
    local before menu
    before=$(xdotool search --onlyvisible --name '' 2>/dev/null | tr '\n' ' ')
    "$@"
    menu=$(wait_window '' "$before") || e2e_fail "no menu opened"
    MENU_WINDOW=$menu
    wait_drawn "$MENU_WINDOW"
}

# choose KEY...: the keys that choose in the open menu; waits until it has gone and the list
# has drawn what the choice did.
choose() {
    xdotool key --delay 60 "$@"
    wait_gone "$MENU_WINDOW" || e2e_fail "the menu stayed open"
    wait_drawn "$NP_WIN"
}

# wait_still: until the window has looked the same for a second. Wine takes the header's hot look
# away only when its timer finds that the pointer has left, some while after it went.
wait_still() {
    local previous="" current same=0
    for _ in $(seq 100); do
        current=$(import -window "$NP_WIN" png:- 2>/dev/null | md5sum)
        if [ "$current" = "$previous" ]; then same=$((same + 1)); else same=0; fi
        [ "$same" -ge 5 ] && return 0
        previous=$current
        sleep 0.2
    done
    e2e_fail "the window never stopped changing"
}

# downs N: the key Down, N times.
downs() {
    local i
    for ((i = 0; i < $1; i++)); do echo Down; done
}

# find_header: edges=(the screen x of each of the list's grid lines) and header_y, the middle
# of the list's header.
find_header() {
    local picture=$E2E_WORK/window.ppm width height left top y x
    wait_drawn "$NP_WIN"
    import -window "$NP_WIN" -depth 8 "ppm:$picture" || e2e_fail "no picture of the window"
    read -r width height left top < <(xwininfo -id "$NP_WIN" | awk '/Width:/ {w = $2} /Height:/ {h = $2}
        /Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} END {print w, h, x, y}')
    y=$((height * 3 / 4))  # the list's empty part, below its rows
    edges=()
    for x in $(python3 "$E2E_DIR/shot.py" gridlines "$picture" 0 $((width - 1)) "$y"); do
        edges+=($((left + x)))
    done
    [ "${#edges[@]}" -ge 6 ] || e2e_fail "the list's columns were not found (grid lines at: ${edges[*]})"
    header_y=$((top + $(python3 "$E2E_DIR/shot.py" gridtop "$picture" $((edges[0] - left)) "$y") - 10))
}

step "npA with the default gateway, two name servers, npC set down beside npD"
netns_create "$ns"
ip -n "$ns" addr add 10.7.0.2/24 dev npA && ip -n "$ns" addr add 10.8.0.1/24 dev npB &&
    ip -n "$ns" route add default via 10.7.0.1 || fail "cannot give npA a gateway"
ip -n "$ns" link add npC type veth peer name npD && ip -n "$ns" addr add 10.9.0.1/24 dev npC &&
    ip -n "$ns" addr add 10.9.0.2/24 dev npD && ip -n "$ns" link set npD up &&
    ip -n "$ns" link set npC down || fail "cannot make npC and npD"
e2e_netns_file "$ns" resolv.conf $'nameserver 10.8.0.53\nnameserver 10.7.0.53\n'
mkdir "$facts" && cp "/etc/netns/$ns/resolv.conf" "$facts/" &&
    ip -n "$ns" -4 -o addr show >"$facts/addr.txt" && ip -n "$ns" -o link show >"$facts/link.txt" &&
    ip -n "$ns" -4 route show >"$facts/route.txt" || fail "ip cannot list $ns"
e2e_prefix "$ns"

step "Name and Gateway, stored before the start, show"
np_setting "$ns" 'IPs List Columns' 'Name,Gateway'
np_start "$ns"
copy_list "$E2E_WORK/stored.csv"
check_list "$E2E_WORK/stored.csv" "the stored columns" "$base,Name,Gateway"

step "a right click on the header, then MAC: it goes to the right end and is stored"
find_header
popup xdotool mousemove "$(((edges[0] + edges[1]) / 2))" "$header_y" click 3
e2e_shot header-menu >/dev/null
# The column clicked may be copied first; a separator, then the columns.
choose Down Down Down Down Return
export_list "$E2E_WORK/mac.csv"
check_list "$E2E_WORK/mac.csv" "MAC added by the header's menu" "$base,Name,Gateway,MAC"
[ "$(np_setting "$ns" 'IPs List Columns')" = Name,Gateway,MAC ] ||
    check_failed "IPs List Columns is \"$(np_setting "$ns" 'IPs List Columns')\", not Name,Gateway,MAC"

step "a right click on IP's header, its first item: that column on the clipboard, a line each"
copy_list "$E2E_WORK/whole.csv"
find_header
popup xdotool mousemove "$(((edges[0] + edges[1]) / 2))" "$header_y" click 3
e2e_shot header-menu-ip >/dev/null
choose Down Return
np_probe "$ns" clip >"$E2E_WORK/column.txt" || check_failed "the column's copy left nothing on the clipboard"
report=$(python3 - "$E2E_WORK/whole.csv" "$E2E_WORK/column.txt" <<'PY' 2>&1
import csv, sys
with open(sys.argv[1], newline="", encoding="utf-8") as f:
    rows = list(csv.reader(f))
assert rows[0][1] == "IP" and len(rows) > 2, rows
want = "".join(row[1] + "\r\n" for row in rows[1:]).encode()
got = open(sys.argv[2], "rb").read()
assert got == want, (got, want)
PY
) || check_failed "the IP column's copy is not the list's addresses a line each: $report"

step "the other five through the context menu's \"Столбцы\": all eight, as ip says"
# The submenu is the fifth item (Копировать, Обновить, Журнал изменений, Экспорт в файл...,
# Столбцы); its items are the eight in their order, from Name (0) to Lease expires (7).
for item in 1 3 5 6 7; do
    popup keys "$NP_WIN" shift+F10
    choose Down Down Down Down Down Right $(downs "$item") Return
done
export_list "$E2E_WORK/all8.csv"
check_list "$E2E_WORK/all8.csv" "all eight" "$base,$added"
[ "$(np_setting "$ns" 'IPs List Columns')" = "$added" ] ||
    check_failed "IPs List Columns is \"$(np_setting "$ns" 'IPs List Columns')\", not $added"

step "the window as wide as the display, columns narrowed to their texts: a picture of all eight"
xdotool windowmove "$NP_WIN" 0 0 windowsize "$NP_WIN" 1280 500
# Column (by place, 0 = Interface) and width; MAC widened, so that its addresses show whole.
for narrowed in 3:75 4:80 5:65 6:55 8:125 9:60 12:80; do
    find_header
    column=${narrowed%:*}
    left=$((column == 0 ? 0 : edges[column - 1]))
    xdotool mousemove "${edges[column]}" "$header_y" sleep 0.2 mousedown 1 sleep 0.2 \
        mousemove $((left + ${narrowed#*:})) "$header_y" sleep 0.2 mouseup 1
done
xdotool mousemove 1279 1023  # off the window: no tooltip, no hot header
wait_still
e2e_shot all8 >/dev/null

step "Wine's lease marks nothing: two pictures of the list 5 seconds apart are the same"
pictures=$E2E_BUILD/e2e-$E2E_NAME
import -window "$NP_WIN" "$pictures-before.png" && sleep 5 && import -window "$NP_WIN" "$pictures-after.png" ||
    e2e_fail "no picture of the window"
if compare -metric AE "$pictures-before.png" "$pictures-after.png" null: 2>/dev/null; then
    rm -f "$pictures-before.png" "$pictures-after.png"
else
    check_failed "the list changed between two re-reads of an unchanged table (see $pictures-before.png and -after.png)"
fi

step "Скрыть интерфейс «npA» on a row of npA: none of its rows is left, and that is stored"
row=$(($(grep -n '^"[0-9]*","10\.7\.0\.2"' "$E2E_WORK/all8.csv" | cut -d: -f1) - 2))
keys "$NP_WIN" Home $(downs "$row")
# The list's keys select npA's row; with a row selected, hiding its interface follows "Столбцы".
popup keys "$NP_WIN" shift+F10
choose Down Down Down Down Down Down Return
export_list "$E2E_WORK/hidden.csv"
check_list "$E2E_WORK/hidden.csv" "npA hidden" "$base,$added" npA
hidden=$(np_setting "$ns" 'Hidden Interfaces')
[[ "$hidden" =~ ^\{[0-9A-F-]{36}\}$ ]] || check_failed "Hidden Interfaces is \"$hidden\", not one interface's name"

step "after a restart npA is still hidden"
np_close_esc
np_start "$ns"
copy_list "$E2E_WORK/restarted.csv"
check_list "$E2E_WORK/restarted.csv" "npA hidden after a restart" "$base,$added" npA
np_close_esc

# save ARGS...: Netpeek.com ARGS in the namespace from the work folder, its standard output in
# out.csv and its standard error in err.txt; CODE its exit code.
save() {
    (cd "$E2E_WORK" && timeout "$E2E_START_TIMEOUT" ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" \
        WINEDEBUG=-all wine "$twin" "$@") >"$E2E_WORK/out.csv" 2>"$E2E_WORK/err.txt"
    CODE=$?
}

# saves COLUMNS HIDDEN-LINK ARGS...: Netpeek.com /scomma - ARGS ends with 0, says nothing on
# standard error, and writes the namespace's rows with those columns, but for the hidden link's
# ("" for none).
saves() {
    local columns=$1 link=$2
    shift 2
    save /scomma - "$@"
    [ "$CODE" = 0 ] && [ ! -s "$E2E_WORK/err.txt" ] ||
        check_failed "/scomma - $* ended with $CODE: $(cat "$E2E_WORK/err.txt")"
    check_list "$E2E_WORK/out.csv" "/scomma - $*" "$columns" $link
}

step "Netpeek.com /columns: just those columns; the stored ones without it; npA only with /allinterfaces"
saves IP,Name,Gateway,DNS npA /columns IP,Name,Gateway,DNS
saves IP,Name,Gateway,DNS "" /columns 1,name,10,DNS /allinterfaces
saves "$base,$added" npA
saves "$base,$added" "" /allinterfaces
save /scomma - /columns Bogus
[ "$CODE" = 87 ] || check_failed "/columns Bogus ended with $CODE, not 87"
[ "$(tr -d '\r' <"$E2E_WORK/err.txt" | LC_ALL=C grep -c '^Netpeek: .')" = 1 ] && [ ! -s "$E2E_WORK/out.csv" ] ||
    check_failed "/columns Bogus did not say why in one line, or wrote a table: $(cat -A "$E2E_WORK/err.txt")"

step "Показать все интерфейсы brings every row back"
np_start "$ns"
# With no row selected there is no item to hide: this one follows "Столбцы".
popup keys "$NP_WIN" shift+F10
choose Down Down Down Down Down Down Return
copy_list "$E2E_WORK/shown.csv"
check_list "$E2E_WORK/shown.csv" "every interface shown again" "$base,$added"
[ -z "$(np_setting "$ns" 'Hidden Interfaces')" ] || check_failed "Hidden Interfaces is still stored"

step "Esc closes the program"
np_close_esc
e2e_finish
