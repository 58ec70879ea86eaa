#!/bin/bash
# Refresh: with "Обновлять автоматически" off, an address added to or deleted from the
# namespace while the program runs shows in the list after F5, and after a click on the
# "Обновить" toolbar button; until then the list (and so an export) stays as it was read.
# Each state is observed through an export.
# Then the pointer resting on each toolbar button shows that button's tooltip.
set -u
E2E_NAME=refresh
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-refresh-$$
exports=0

# export_now: exports into the next numbered file and prints its name.
export_now() {
    exports=$((exports + 1))
    np_export "$E2E_WORK/$exports.csv"
    last_csv=$E2E_WORK/$exports.csv
}

# refresh_with HOW WHAT: the table has changed (WHAT); the list must not change before the
# refresh (F5 or a click on the button) and must be the new table after it.
refresh_with() {
    local how=$1 what=$2 shown=$last_csv
    step "$what; the list before $how"
    export_now
    cmp -s "$shown" "$last_csv" || check_failed "the list changed before $how ($what)"
    step "$what; $how"
    if [ "$how" = F5 ]; then
        np_refresh
    else
        click_refresh_button
    fi
    export_now
    check_export "$last_csv" "$ns"
}

# find_buttons: buttons=(x of Экспорт, Обновить, О программе) and button_y, the middle of
# each on the screen. The buttons are as wide as each other and the toolbar's two separators
# stand between them; the separators are found in a picture of the window.
find_buttons() {
    local picture=$E2E_WORK/window.ppm width left top separators half
    import -window "$NP_WIN" -depth 8 "ppm:$picture" || e2e_fail "no picture of the window"
    read -r width left top < <(xwininfo -id "$NP_WIN" | awk '/Width:/ {w = $2}
        /Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} END {print w, x, y}')
    separators=($(python3 "$E2E_DIR/shot.py" separators "$picture" 0 0 "$width" 150))
    [ "${#separators[@]}" -ge 4 ] || e2e_fail "the toolbar's separators were not found in the window"
    half=$(((separators[2] - separators[0]) / 2))
    buttons=($((left + separators[0] - half)) $((left + separators[0] + half)) $((left + separators[2] + half)))
    button_y=$((top + separators[1]))
}

# click_refresh_button: a click in the middle of "Обновить".
click_refresh_button() {
    find_buttons
    xdotool mousemove "${buttons[1]}" "$button_y" click 1
    wait_drawn "$NP_WIN"
}

# check_tooltip BUTTON TEXT: the pointer rests on the button (0 = the first); a tooltip window
# must come up, with that text.
check_tooltip() {
    local text="" end
    xdotool mousemove 0 0 sleep 0.5  # off the toolbar, so that the next tip starts afresh
    xdotool mousemove "${buttons[$1]}" "$button_y"
    end=$((SECONDS + E2E_TIMEOUT))
    until [ "$text" = "$2" ] || [ "$SECONDS" -gt "$end" ]; do
        sleep 0.3
        text=$(np_probe "$ns" tip)
    done
    [ -n "$text" ] || check_failed "no tooltip came up over button $1"
    [ "$text" = "$2" ] || check_failed "the tooltip over button $1 reads \"$text\", not \"$2\""
}

step "one address on npA"
e2e_netns "$ns"
ip -n "$ns" addr add 203.0.113.10/24 dev npA || fail "cannot add 203.0.113.10"

step "start Netpeek, not following the table, and export"
# Left on, the re-read every 2 seconds could bring a change in before the refresh under test.
np_setting "$ns" 'Auto Refresh' 0
np_start "$ns"
export_now
check_export "$last_csv" "$ns"

ip -n "$ns" addr add 203.0.113.20/28 dev npB || fail "cannot add 203.0.113.20"
refresh_with F5 "203.0.113.20 added"
csv_addresses "$last_csv" | grep -qx 203.0.113.20 || check_failed "203.0.113.20 did not appear after F5"

ip -n "$ns" addr add 198.51.100.30/24 dev npA || fail "cannot add 198.51.100.30"
refresh_with "a click on Обновить" "198.51.100.30 added"
csv_addresses "$last_csv" | grep -qx 198.51.100.30 || check_failed "198.51.100.30 did not appear after the click"

ip -n "$ns" addr del 203.0.113.10/24 dev npA || fail "cannot delete 203.0.113.10"
refresh_with F5 "203.0.113.10 deleted"
csv_addresses "$last_csv" | grep -qx 203.0.113.10 && check_failed "203.0.113.10 is still listed after F5"

ip -n "$ns" addr del 203.0.113.20/28 dev npB || fail "cannot delete 203.0.113.20"
refresh_with "a click on Обновить" "203.0.113.20 deleted"
csv_addresses "$last_csv" | grep -qx 203.0.113.20 && check_failed "203.0.113.20 is still listed after the click"

step "the pointer on each toolbar button shows its tooltip"
find_buttons
check_tooltip 0 "Экспортировать в файл (F2)"
check_tooltip 1 "Обновить список (F5)"
check_tooltip 2 "Показать сведения о программе (Shift+F1)"

step "Esc closes the program"
np_close_esc
e2e_finish
