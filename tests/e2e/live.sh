#!/bin/bash
# The list follows the table by itself. With 40 addresses, scrolled down a wheel's notch and a
# row selected by a click, one change of the table adds an address above the view and one in
# it, deletes one and gives another a new prefix: at the next re-read, without F5, the list
# shows the new table, the new row marked on the tooltip's background and the changed row in
# its Mask cell only; the rows from the top of the view down to the selected row have not
# moved, it is still selected, and Ctrl+C copies its line. With only the connected interfaces
# shown (no loopback row), the row chosen stays chosen while the masks of the rows around it
# change, and while the address above it goes and another comes. Switched off in the context
# menu, the list shows an address added only after F5, also after a restart, and the store says
# "Auto Refresh" = 0.
set -u
E2E_NAME=live
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-live-$$
picture=$E2E_WORK/window.ppm
# The prefix gets Windows' classic pale yellow for the tooltip's background, which the marks
# are drawn on, so that the scenario looks for one known colour (Wine's own is the list's white,
# where the program draws a tint of the selection colour instead).
info_colour="255 255 225"
exports=0

# shoot: a picture of the window, once it has finished drawing.
shoot() {
    wait_drawn "$NP_WIN"
    import -window "$NP_WIN" -depth 8 "ppm:$picture" || e2e_fail "no picture of the window"
}

# clipboard FILE: what the clipboard holds, byte for byte.
clipboard() {
    np_probe "$ns" clip >"$1" || check_failed "nothing on the clipboard"
}

# export_now: exports into the next numbered file, last_csv.
export_now() {
    exports=$((exports + 1))
    last_csv=$E2E_WORK/$exports.csv
    np_export "$last_csv"
}

# find_list: left top width height of the window; edges=(the list's left, then each column's
# right edge) and rows=(the middle of each row shown in full), in the window. The list is
# full, so the columns' grid lines are read on the pixel rows that cross no text: the
# commonest answer over a row's height.
find_list() {
    local y header
    # The pointer out of the way first: a row's tooltip would hide the grid lines it reads.
    xdotool mousemove 0 0
    sleep 0.5
    shoot
    read -r left top width height < <(xwininfo -id "$NP_WIN" | awk '/Absolute upper-left X/ {x = $4}
        /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2} END {print x, y, w, h}')
    edges=(2 $(for y in $(seq $((height / 2)) $((height / 2 + 16))); do
        python3 "$E2E_DIR/shot.py" gridlines "$picture" 2 $((width - 3)) "$y"; done | sort | uniq -c | sort -rn |
        head -1 | sed 's/^ *[0-9]* //'))
    [ "${#edges[@]}" -ge 7 ] || e2e_fail "the list's columns were not found (grid lines at: ${edges[*]:1})"
    edges=("${edges[@]:0:7}")
    header=$(python3 "$E2E_DIR/shot.py" gridtop "$picture" "${edges[1]}" $((height / 2)))
    rows=($(python3 "$E2E_DIR/shot.py" rowmiddles "$picture" $((edges[1] - 4)) "$header" $((height - 2))))
    [ "${#rows[@]}" -ge 15 ] || e2e_fail "the list's rows were not found (middles at: ${rows[*]})"
}

# marks: one line per row shown, one character per cell: "#" where the cell is marked.
marks() {
    python3 "$E2E_DIR/shot.py" marks "$picture" "${info_colour// /,}" "$(IFS=,; echo "${edges[*]}")" \
        "$(IFS=,; echo "${rows[*]}")"
}

# menu_choose UPS: a right click on the third row shown opens the context menu, the program's one
# shown window without a title; UPS times Up from no item, then Enter, chooses in it.
menu_choose() {
    local end=$((SECONDS + E2E_TIMEOUT)) menu="" w
    xdotool mousemove $((left + edges[2] - 10)) $((top + rows[2])) click 3
    until [ -n "$menu" ] || [ "$SECONDS" -gt "$end" ]; do
        sleep 0.2
        for w in $(xdotool search --onlyvisible --classname '^netpeek\.exe$' 2>/dev/null); do
            [ -z "$(xdotool getwindowname "$w")" ] && menu=$w
        done
    done
    [ -n "$menu" ] || e2e_fail "a right click on the list opened no context menu"
    e2e_shot menu >/dev/null
    xdotool mousemove 0 0
    keys "$NP_WIN" $(for ((w = 0; w < $1; w++)); do echo Up; done) Return
    wait_gone "$menu" || e2e_fail "the context menu stayed open"
    wait_drawn "$NP_WIN"
}

# still_chosen WHAT: ip -batch of standard input changes the table; once the list shows it (nothing
# else changes the list), Ctrl+C still copies the row chosen, chosen.txt.
still_chosen() {
    local start
    shoot
    cp "$picture" "$E2E_WORK/chosen.ppm"
    start=$(date +%s%N)
    ip -n "$ns" -batch - || fail "ip -batch could not change the addresses"
    until shoot && ! compare -metric AE "$E2E_WORK/chosen.ppm" "$picture" null: 2>/dev/null; do
        [ $(($(date +%s%N) - start)) -gt $((E2E_FOLLOW_TIMEOUT * 1000000000)) ] &&
            e2e_fail "${E2E_FOLLOW_TIMEOUT} s on, the list does not show that $1"
    done
    keys "$NP_WIN" ctrl+c
    sleep 0.3
    clipboard "$E2E_WORK/clip.txt"
    cmp -s "$E2E_WORK/chosen.txt" "$E2E_WORK/clip.txt" ||
        check_failed "$1: Ctrl+C copied \"$(head -c 300 "$E2E_WORK/clip.txt")\", not the chosen row $chosen"
}

# without_f5 ADDRESS: with the list not following the table, ADDRESS is added to npB and is
# still not listed 5 seconds later; after F5 the list is the table.
without_f5() {
    ip -n "$ns" addr add "$1/24" dev npB || fail "cannot add $1"
    sleep 5
    export_now
    csv_addresses "$last_csv" | grep -qxF "$1" && check_failed "$1 was listed without F5"
    np_refresh
    export_now
    check_export "$last_csv" "$ns"
}

step "10.77.0.1-10 and 10.77.0.12-41 on npA; the tooltip's colour"
e2e_netns "$ns"
netns_add_many "$ns" 10
netns_add_many "$ns" 30 11
np_reg "$ns" add 'HKCU\Control Panel\Colors' /v InfoWindow /t REG_SZ /d "$info_colour" /f >/dev/null ||
    fail "cannot set the tooltip's colour"

step "start Netpeek, scroll down a wheel's notch, click the fifth row shown"
np_start "$ns"
find_list
xdotool mousemove $((left + edges[2] - 10)) $((top + rows[4])) click 5 sleep 0.5 click 1 mousemove 0 0
keys "$NP_WIN" ctrl+c
sleep 0.3
clipboard "$E2E_WORK/selected.txt"
# The rows run 10.77.0.1 to .10 before the gap, so the selected row tells the top one.
selected=$(cut -d'"' -f4 "$E2E_WORK/selected.txt")
first=$((${selected##*.} - 4))
[[ "$selected" == 10.77.0.* ]] && [ "$first" -ge 2 ] && [ "$first" -le 6 ] ||
    e2e_fail "the click after the wheel selected \"$selected\", not one of 10.77.0.6-10"
shoot
cp "$picture" "$E2E_WORK/before.ppm"

step "add 10.0.0.1 above the view and 10.77.0.11 in it, delete 10.77.0.15, 10.77.0.17/24 becomes /16"
new=$((11 - first)) changed=$((17 - first - 1))
expected=""
for ((i = 0; i < ${#rows[@]}; i++)); do
    if [ "$i" -eq "$new" ]; then expected+="######"$'\n'
    elif [ "$i" -eq "$changed" ]; then expected+="..#..."$'\n'
    else expected+="......"$'\n'; fi
done
start=$(date +%s%N)
ip -n "$ns" -batch - <<EOF || fail "ip -batch could not change the addresses"
addr add 10.0.0.1/24 dev npB
addr add 10.77.0.11/24 dev npA
addr del 10.77.0.15/24 dev npA
addr del 10.77.0.17/24 dev npA
addr add 10.77.0.17/16 dev npA
EOF
until shoot && [ "$(marks)"$'\n' = "$expected" ]; do
    if [ $(($(date +%s%N) - start)) -gt $((E2E_FOLLOW_TIMEOUT * 1000000000)) ]; then
        check_failed "${E2E_FOLLOW_TIMEOUT} s on, the marks are not on rows $new (all cells) and $changed (Mask):"$'\n'"$(marks)"
        break
    fi
done
convert "$picture" "$E2E_BUILD/e2e-$E2E_NAME-marked.png"

step "the rows down to the selected one have not moved; it is still selected"
bottom=$(((rows[4] + rows[5]) / 2))
above=$((rows[0] - (rows[1] - rows[0]) / 2))
crop=$((edges[6] - 2))x$((bottom - above))+2+$above
differ=$(compare -metric AE "$E2E_WORK/before.ppm[$crop]" "$picture[$crop]" null: 2>&1)
[ "$differ" = 0 ] || check_failed "the rows down to the selected one changed ($differ pixels)"
keys "$NP_WIN" ctrl+c
sleep 0.3
clipboard "$E2E_WORK/clip.txt"
cmp -s "$E2E_WORK/selected.txt" "$E2E_WORK/clip.txt" ||
    check_failed "Ctrl+C copied \"$(cat "$E2E_WORK/clip.txt")\", not the selected row $selected"
export_now
check_export "$last_csv" "$ns"

step "only the connected interfaces: the row chosen stays chosen while the rows around it change"
# Three addresses after the loopback's in the table (Wine orders it by address), each the last of
# its link's: a mask changed there leaves every link's addresses as they were, in their order, so
# the program replaces just those rows. "Только подключённые интерфейсы", below "Обновлять автоматически" and a separator,
# leaves the loopback's row out, so every row after it is one place higher in the list than in
# the table. End, Up chooses 198.51.101.1.
ip -n "$ns" link add npC type veth peer name npD && ip -n "$ns" link set npC up && ip -n "$ns" link set npD up &&
    ip -n "$ns" -batch - <<EOF || fail "cannot make npC and npD"
addr add 198.51.100.1/24 dev npC
addr add 198.51.101.1/24 dev npD
addr add 198.51.102.1/24 dev npB
EOF
menu_choose 7
[ "$(np_setting "$ns" 'Connected Only')" = 1 ] || check_failed "Connected Only is not stored as 1"
keys "$NP_WIN" End Up ctrl+c
sleep 0.3
clipboard "$E2E_WORK/chosen.txt"
chosen=$(cut -d'"' -f4 "$E2E_WORK/chosen.txt")
[ "$chosen" = 198.51.101.1 ] || e2e_fail "End, Up chose \"$chosen\", not 198.51.101.1"
export_now
grep -q '"127\.0\.0\.1"' "$last_csv" && check_failed "the loopback's row is listed with only the connected interfaces"
still_chosen "the masks of the rows above and below it changed" <<EOF
addr del 198.51.100.1/24 dev npC
addr add 198.51.100.1/16 dev npC
addr del 198.51.102.1/24 dev npB
addr add 198.51.102.1/16 dev npB
EOF
still_chosen "the address above it went and another came" <<EOF
addr del 198.51.100.1/16 dev npC
addr add 198.51.100.2/24 dev npC
EOF
menu_choose 7
[ "$(np_setting "$ns" 'Connected Only')" = 0 ] || check_failed "Connected Only is not stored as 0"

step "switch Обновлять автоматически off: the context menu's sixth item from the end"
# Up from no item is the last, "Хранить настройки рядом с программой", then "Запускать при входе в
# Windows" (greyed, but the keys stop on it), "Уведомлять об изменениях", "Сворачивать в область
# уведомлений", "Показывать адреса IPv6", and this one.
menu_choose 6
[ "$(np_setting "$ns" 'Auto Refresh')" = 0 ] || check_failed "Auto Refresh is not stored as 0"
without_f5 192.0.2.1

step "after a restart it is still off"
np_close_esc
np_start "$ns"
without_f5 192.0.2.2
[ "$(np_setting "$ns" 'Auto Refresh')" = 0 ] || check_failed "Auto Refresh is no longer 0"

step "Esc closes the program"
np_close_esc
e2e_finish
