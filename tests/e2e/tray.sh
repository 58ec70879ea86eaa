#!/bin/bash
# The notification area. With "Minimize To Tray" stored as 1, Netpeek has an icon in Wine's own
# tray window (at the top left of the bare display); minimising the window (Alt+Space, n) hides
# it; its tip (read as the tooltip Wine shows over the icon, inside Wine) names the addresses.
# With "Notify Changes" stored as 0, an address added while it is hidden brings no notice; a click on the
# icon shows the window, whose context menu's third item from the end turns the notices on, and an address
# added once it is hidden again brings a notice (Wine's balloon, read the same way). The icon's
# menu opens the log window, whose Ctrl+C text parses as CSV with a "Time","Event",... header and
# an "added" line for each added address. Esc hides the log, a click on the icon brings the
# window back, Esc ends the program, and the log window's placement is kept.
set -u
E2E_NAME=tray
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-tray-$$
clip=$E2E_WORK/log.csv

# minimise: Alt+Space, n in the main window, which then must be hidden.
minimise() {
    keys "$NP_WIN" alt+space
    sleep 0.5
    xdotool key n
    wait_gone "$NP_WIN" || check_failed "minimising left the window shown"
}

# tip_has TEXT: the tooltip Wine shows over the icon holds TEXT, before long.
tip_has() {
    local end=$((SECONDS + E2E_TIMEOUT))
    while [ "$SECONDS" -le "$end" ]; do
        xdotool mousemove 600 600 sleep 0.3 mousemove $icon sleep 1.5
        np_probe "$ns" tip >"$E2E_WORK/tip.txt" 2>/dev/null && grep -qF "$1" "$E2E_WORK/tip.txt" && return 0
    done
    return 1
}

step "10.77.0.1-2 on npA; Minimize To Tray stored as 1, Notify Changes as 0"
e2e_netns "$ns"
netns_add_many "$ns" 2
np_setting "$ns" 'Minimize To Tray' 1
np_setting "$ns" 'Notify Changes' 0

step "start Netpeek: its icon is in the tray; minimised, the window is hidden"
np_start "$ns"
icon=$(tray_icon) || e2e_fail "no tray window with the program's icon"
minimise
e2e_shot hidden >/dev/null
tip_has "10.77.0.1 — npA" || check_failed "the icon's tip has no line for 10.77.0.1: $(cat "$E2E_WORK/tip.txt")"

step "10.77.0.9 added while hidden, notices off: no notice"
ip -n "$ns" addr add 10.77.0.9/24 dev npA || fail "cannot add 10.77.0.9"
# Wine 8 shows no tooltip over the icon at all once its tip has been changed, so the tip that
# follows the table is seen in process only. No notice may come while a re-read (2 s) and a
# burst's wait (2 s) pass, with room for a slow moment.
xdotool mousemove 600 600
end=$((SECONDS + 10))
while [ "$SECONDS" -le "$end" ]; do
    np_probe "$ns" tip 2>/dev/null | grep -qF "10.77.0.9 (npA)" && { check_failed "a notice came with the notices off"; break; }
    sleep 0.25
done

step "a click on the icon shows the window; Уведомлять об изменениях, the context menu's third from the end, ticked"
xdotool mousemove $icon click 1
wait_window '^Netpeek$' "" 5 >/dev/null || e2e_fail "a click on the icon did not show the window"
keys "$NP_WIN" shift+F10
sleep 0.5
xdotool key Up Up Up Return
sleep 0.5
[ "$(np_setting "$ns" 'Notify Changes')" = 1 ] || check_failed "Notify Changes is not stored as 1"
minimise

step "10.77.0.10 added while hidden: a notice"
ip -n "$ns" addr add 10.77.0.10/24 dev npA || fail "cannot add 10.77.0.10"
# The notice comes 2 seconds after the re-read that saw the change; Wine draws it as a balloon
# beside its tray window, a tooltip whose text the probe reads.
xdotool mousemove 600 600
notice=""
end=$((SECONDS + E2E_FOLLOW_TIMEOUT))
while [ "$SECONDS" -le "$end" ]; do
    np_probe "$ns" tip 2>/dev/null | grep -qxF "+ 10.77.0.10 (npA)" && { notice=yes; break; }
    sleep 0.25
done
e2e_shot notice >/dev/null
[ -n "$notice" ] || check_failed "no notice \"+ 10.77.0.10 (npA)\" was shown"

step "the icon's menu: Журнал изменений opens the log window"
xdotool mousemove $icon click 3
sleep 0.7
e2e_shot icon-menu >/dev/null
xdotool key Down Down Down Return
log=$(wait_window '^Журнал изменений$' "$NP_WIN") || e2e_fail "the icon's menu opened no log window"
wait_drawn "$log"
import -window "$log" "$E2E_BUILD/e2e-$E2E_NAME-log.png" 2>/dev/null

step "Ctrl+C in the log: CSV with the added lines"
np_copy "$ns" "$log" "$clip"
report=$(python3 - "$clip" <<'PY' 2>&1
import csv, sys
with open(sys.argv[1], newline="", encoding="utf-8") as f:
    rows = list(csv.reader(f))
assert rows and rows[0] == ["Time", "Event", "Interface", "IP", "Mask", "Broadcast", "Realm size", "Type"], rows[:1]
for address in ("10.77.0.9", "10.77.0.10"):
    added = [r for r in rows[1:] if r[1] == "added" and r[3] == address]
    assert len(added) == 1, rows
    assert added[0][4] == "255.255.255.0" and len(added[0][0]) == 25, added
assert all(len(r) == 8 for r in rows), rows
PY
) || check_failed "the log's copy is not the CSV of the added address: $report"

step "Esc hides the log; a click on the icon brings the window back; Esc ends the program"
keys "$log" Escape
wait_gone "$log" || check_failed "Esc left the log window shown"
xdotool mousemove $icon click 1
wait_window '^Netpeek$' "" 5 >/dev/null || check_failed "a click on the icon did not show the window"
np_close_esc
[ -n "$(np_setting "$ns" 'Log Window placement')" ] || check_failed "the log window's placement was not kept"
[ "$(np_setting "$ns" 'Minimize To Tray')" = 1 ] || check_failed "Minimize To Tray is no longer 1"
e2e_finish
