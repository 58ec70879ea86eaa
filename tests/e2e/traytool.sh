#!/bin/bash
# What users expect of a tray tool. With "Minimize To Tray" off, two starts are two processes.
# With it on, a second Netpeek.exe ends with 0 within seconds and brings up the first's hidden
# window, one process and one icon left; after the first is ended with taskkill /f, two starts
# at one moment leave one process and one icon. "Запускать при входе в Windows", the context menu's last item but one, writes the Run
# value "PATH" /tray (read back with reg query), unticked deletes it, ticked in a copy of the exe
# in another folder points it there, and ticked over a StartupApproved entry marked off turns
# that on. /tray starts with the icon and no window shown. In a namespace whose only address is
# link-local (169.254.12.7/16), and in one with no address at all, the icon's tip starts with
# the state's line and the icon looks other than connected.
set -u
E2E_NAME=traytool
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-traytool-$$
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
approved_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'

# tray: TRAY is Wine's tray window, ICON the centre of its first icon as "X Y".
tray() {
    local geometry
    TRAY=$(wait_window '^Wine System Tray$' "" "$E2E_TIMEOUT") || return 1
    geometry=$(xdotool getwindowgeometry --shell "$TRAY") || return 1
    eval "$geometry"
    ICON="$((X + 8)) $((Y + 10))"
}

# tray_picture FILE: Wine's tray window, whose one icon is the program's, as drawn now.
tray_picture() {
    tray || e2e_fail "no tray window with the program's icon"
    xdotool mousemove 600 600
    sleep 0.5
    import -window "$TRAY" "$1" 2>/dev/null || e2e_fail "no picture of the tray window"
}

# alike A B: the two pictures have the same pixels.
alike() {
    compare -metric AE "$1" "$2" null: >/dev/null 2>&1
}

# running: how many Netpeek processes run in the namespace.
running() {
    local pid count=0
    for pid in $(ip netns pids "$ns" 2>/dev/null); do
        tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qi 'netpeek\.exe' && count=$((count + 1))
    done
    echo "$count"
}

# minimise: Alt+Space, n in the main window, which then must be hidden.
minimise() {
    keys "$NP_WIN" alt+space
    sleep 0.5
    xdotool key n
    wait_gone "$NP_WIN" || check_failed "minimising left the window shown"
}

# logon_item: the context menu's last item but one, the start at logon, chosen.
logon_item() {
    keys "$NP_WIN" shift+F10
    sleep 0.5
    xdotool key Up Up Return
    sleep 0.5
}

# run_value: the Run value's text, nothing where there is none.
run_value() {
    np_reg "$ns" query "$run_key" /v Netpeek | tr -d '\r' | sed -n 's/^ *Netpeek *REG_SZ *//p'
}

# approved_value: StartupApproved's value in hex, nothing where there is none.
approved_value() {
    np_reg "$ns" query "$approved_key" /v Netpeek | tr -d '\r' | sed -n 's/^ *Netpeek *REG_BINARY *//p'
}

# tip_starts LINE: the tooltip over the icon starts with LINE, before long.
tip_starts() {
    local end=$((SECONDS + E2E_TIMEOUT))
    while [ "$SECONDS" -le "$end" ]; do
        xdotool mousemove 600 600 sleep 0.3 mousemove $ICON sleep 1.5
        np_probe "$ns" tip 2>/dev/null | tr -d '\r' >"$E2E_WORK/tip.txt"
        [ "$(head -n 1 "$E2E_WORK/tip.txt")" = "$1" ] && return 0
    done
    return 1
}

step "10.77.0.1 on npA; the notification area's switch off: two starts are two processes"
e2e_netns "$ns"
netns_add_many "$ns" 1
np_start "$ns"
first_pid=$NP_PID first_win=$NP_WIN
np_launch "$ns" "$E2E_WORK" "$NETPEEK_EXE"
NP_WIN=$(wait_window '^Netpeek$' "$first_win" "$E2E_START_TIMEOUT") || e2e_fail "the second start showed no window"
wait_drawn "$NP_WIN"
[ "$(running)" = 2 ] || check_failed "$(running) processes run, not 2"
np_close_esc
NP_PID=$first_pid NP_WIN=$first_win
np_close_esc

step "switch on: a second start brings up the first's hidden window and ends with 0"
np_setting "$ns" 'Minimize To Tray' 1
np_start "$ns"
first_pid=$NP_PID
tray_picture "$E2E_WORK/connected.png"
minimise
np_launch "$ns" "$E2E_WORK" "$NETPEEK_EXE"
second_pid=$NP_PID
np_wait_exit "$E2E_TIMEOUT" || e2e_fail "the second start still runs"
wait "$second_pid" 2>/dev/null
code=$?
NP_PID=$first_pid
[ "$code" = 0 ] || check_failed "the second start ended with $code, not 0"
wait_window '^Netpeek$' "" "$E2E_TIMEOUT" >/dev/null || check_failed "the first's window was not brought up"
[ "$(running)" = 1 ] || check_failed "$(running) processes run, not 1"
tray_picture "$E2E_WORK/one-icon.png"
alike "$E2E_WORK/connected.png" "$E2E_WORK/one-icon.png" || check_failed "the tray holds more than the one icon"

step "taskkill /f ends it; two starts at one moment then leave one program and one icon"
ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine taskkill /f /im Netpeek.exe \
    >/dev/null 2>>"$E2E_WORK/wine.log"
np_wait_exit || e2e_fail "taskkill /f did not end the program"
np_launch "$ns" "$E2E_WORK" "$NETPEEK_EXE"
starts=$NP_PID
np_launch "$ns" "$E2E_WORK" "$NETPEEK_EXE"
starts="$starts $NP_PID"
ended="" end=$((SECONDS + E2E_START_TIMEOUT))
while [ -z "$ended" ] && [ "$SECONDS" -le "$end" ]; do
    for pid in $starts; do
        kill -0 "$pid" 2>/dev/null || ended=$pid
    done
    sleep 0.1
done
[ -n "$ended" ] || e2e_fail "both starts still run"
wait "$ended" 2>/dev/null
code=$?
[ "$code" = 0 ] || check_failed "the start that ended ended with $code, not 0"
for pid in $starts; do
    [ "$pid" = "$ended" ] || NP_PID=$pid
done
NP_WIN=$(wait_window '^Netpeek$' "" "$E2E_START_TIMEOUT") || e2e_fail "neither start shows its window"
wait_drawn "$NP_WIN"
[ "$(running)" = 1 ] || check_failed "$(running) processes run, not 1"
tray_picture "$E2E_WORK/restarted.png"
alike "$E2E_WORK/connected.png" "$E2E_WORK/restarted.png" || check_failed "the tray does not hold the one icon"

step "Запускать при входе в Windows: the Run value names this exe with /tray; unticked, it is gone"
exe_path=$(winpath "$NETPEEK_EXE")
logon_item
[ "$(run_value)" = "\"$exe_path\" /tray" ] || check_failed "the Run value is \"$(run_value)\", not \"$exe_path\" /tray"
logon_item
[ -z "$(run_value)" ] || check_failed "unticked, the Run value is still \"$(run_value)\""
logon_item
np_close_esc

step "a copy in another folder points it at itself; over StartupApproved's off it turns it on"
mkdir -p "$E2E_WORK/moved" && cp "$NETPEEK_EXE" "$E2E_WORK/moved/Netpeek.exe" || fail "cannot copy the program"
moved=$(winpath "$E2E_WORK/moved/Netpeek.exe")
np_launch "$ns" "$E2E_WORK" "$E2E_WORK/moved/Netpeek.exe"
NP_WIN=$(wait_window '^Netpeek$' "" "$E2E_START_TIMEOUT") || e2e_fail "the copy showed no window"
wait_drawn "$NP_WIN"
logon_item
[ "$(run_value)" = "\"$moved\" /tray" ] || check_failed "the Run value is \"$(run_value)\", not the copy's"
np_reg "$ns" add "$approved_key" /v Netpeek /t REG_BINARY /d 030000000000000050C3B3D1 /f >/dev/null ||
    e2e_fail "cannot mark the entry off"
logon_item
[[ "$(approved_value)" == 02* ]] || check_failed "StartupApproved is $(approved_value), not turned on"
[ "$(run_value)" = "\"$moved\" /tray" ] || check_failed "the Run value is \"$(run_value)\", not the copy's"
np_close_esc

step "/tray: the icon, and no window shown; a click on the icon shows it"
np_launch "$ns" "$E2E_WORK" "$NETPEEK_EXE" /tray
tray || e2e_fail "/tray showed no icon"
sleep 2
wait_window '^Netpeek$' "" 1 >/dev/null && check_failed "/tray showed the window"
[ "$(running)" = 1 ] || check_failed "$(running) processes run, not 1"
e2e_shot tray-start >/dev/null
xdotool mousemove $ICON click 1
NP_WIN=$(wait_window '^Netpeek$' "" "$E2E_TIMEOUT") || e2e_fail "a click on the icon did not show the window"
np_close_esc
wine_stop "$E2E_PREFIX"

step "169.254.12.7/16 alone: the tip's first line says so, the icon looks limited"
ns=$ns-ll
e2e_netns "$ns"
ip -n "$ns" addr add 169.254.12.7/16 dev npA || fail "cannot add 169.254.12.7"
np_setting "$ns" 'Minimize To Tray' 1
np_start "$ns"
tray_picture "$E2E_WORK/limited.png"
tip_starts "Только локальный адрес 169.254.12.7 — npA" ||
    check_failed "the tip does not start with the limited line: $(cat "$E2E_WORK/tip.txt")"
alike "$E2E_WORK/connected.png" "$E2E_WORK/limited.png" && check_failed "the limited icon looks connected"
np_close_esc
wine_stop "$E2E_PREFIX"

step "no address at all: the tip's first line says so, the icon looks like no network"
ns=${ns%-ll}-none
e2e_netns "$ns"
ip -n "$ns" -6 addr flush dev npA && ip -n "$ns" -6 addr flush dev npB || fail "cannot take the links' addresses"
np_setting "$ns" 'Minimize To Tray' 1
np_start "$ns"
tray_picture "$E2E_WORK/none.png"
tip_starts "Нет подключения к сети" || check_failed "the tip does not start with the no-network line: $(cat "$E2E_WORK/tip.txt")"
alike "$E2E_WORK/connected.png" "$E2E_WORK/none.png" && check_failed "the no-network icon looks connected"
alike "$E2E_WORK/limited.png" "$E2E_WORK/none.png" && check_failed "the no-network icon looks limited"
convert "$E2E_WORK/connected.png" "$E2E_WORK/limited.png" "$E2E_WORK/none.png" +append \
    "$E2E_BUILD/e2e-$E2E_NAME-looks.png" 2>/dev/null
np_close_esc
e2e_finish
