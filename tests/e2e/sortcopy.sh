#!/bin/bash
# Sorting and copying. Interfaces with two-digit indexes carry 10.9.0.1, 10.10.0.1 and
# 10.100.0.1 (as text they would sort 10.10 < 10.100 < 10.9). Clicks on the headers sort the
# list by value and a second click reverses it; F5, an export and a restart keep the sort.
# Ctrl+C with no row selected copies the list exactly as the export writes it, and with a
# row selected that row's line; the context menu's "Копировать" does the same, and so does
# Ctrl+C after a header click has moved the selected row. What the clipboard holds is read
# inside Wine, where its CR LF line ends survive.
set -u
E2E_NAME=sortcopy
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-sortcopy-$$

step "links with indexes 12 and 47 and three addresses"
e2e_netns "$ns"
two_links "$ns"

# clipboard FILE: what the clipboard holds, byte for byte.
clipboard() {
    np_probe "$ns" clip >"$1"
}

# copied_is WHAT ROW...: Ctrl+C with no row selected puts the whole list, in this order, on the clipboard.
copied_is() {
    local what=$1
    shift
    expect_text "$E2E_WORK/expected.txt" "$@"
    keys "$NP_WIN" ctrl+c
    sleep 0.3
    clipboard "$E2E_WORK/clip.txt" || check_failed "$what: nothing on the clipboard"
    same "$E2E_WORK/expected.txt" "$E2E_WORK/clip.txt" "$what: the copied list is not in the order expected"
}

# find_columns: col_x=(the middle of each header, left to right, on the screen) and header_y.
find_columns() {
    local picture=$E2E_WORK/window.ppm width height left top edges x y previous=0
    wait_drawn "$NP_WIN"
    import -window "$NP_WIN" -depth 8 "ppm:$picture" || e2e_fail "no picture of the window"
    read -r width height left top < <(xwininfo -id "$NP_WIN" | awk '/Width:/ {w = $2} /Height:/ {h = $2}
        /Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} END {print w, h, x, y}')
    y=$((height * 3 / 4))  # the list's empty part, below the four rows
    edges=($(python3 "$E2E_DIR/shot.py" gridlines "$picture" 0 $((width - 1)) "$y"))
    [ "${#edges[@]}" -ge 6 ] || e2e_fail "the list's columns were not found (grid lines at: ${edges[*]})"
    col_x=()
    for x in "${edges[@]:0:6}"; do
        col_x+=($((left + (previous + x) / 2)))
        previous=$x
    done
    header_y=$((top + $(python3 "$E2E_DIR/shot.py" gridtop "$picture" "${edges[0]}" "$y") - 10))
    row_y=$((header_y + 22))  # the first row, under the header
}

# click_header N: a click on the header of column N (0 = "Interface"), then the list redraws.
# Two clicks within the double-click time would be a double click, which sorts nothing.
click_header() {
    sleep 0.6
    xdotool mousemove "${col_x[$1]}" "$header_y" click 1
    wait_drawn "$NP_WIN"
}

step "start Netpeek: the table's own order, by address"
np_start "$ns"
find_columns
copied_is "before any sort" 9 10 100 lo

step "sort by IP, then the other way"
click_header 1
copied_is "IP ascending" 9 10 100 lo
e2e_shot ip-ascending >/dev/null
click_header 1
copied_is "IP descending" lo 100 10 9

step "sort by Mask: equal masks keep the table's order"
click_header 2
copied_is "Mask ascending" 100 lo 10 9

step "sort by Interface, descending"
click_header 0
click_header 0
copied_is "Interface descending" 10 9 100 lo
e2e_shot interface-descending >/dev/null

step "F5 keeps the sort, and the export writes the rows as shown"
np_refresh
copied_is "after F5" 10 9 100 lo
np_export "$E2E_WORK/sorted.csv"
same "$E2E_WORK/expected.txt" "$E2E_WORK/sorted.csv" "the export does not hold the rows in the order shown"

step "a restart keeps the sort"
np_close_esc
np_start "$ns"
copied_is "after a restart" 10 9 100 lo

step "Ctrl+C with a row selected copies that row's line"
xdotool mousemove "${col_x[1]}" "$row_y" click 1
keys "$NP_WIN" ctrl+c
sleep 0.3
printf '%s\r\n' "${row_line[10]}" >"$E2E_WORK/expected.txt"
clipboard "$E2E_WORK/clip.txt" || check_failed "nothing on the clipboard after copying a row"
same "$E2E_WORK/expected.txt" "$E2E_WORK/clip.txt" "Ctrl+C did not copy the selected row's line"

# menu_copy ROW [SHOT]: Копировать, the context menu's first item, chosen with the keyboard
# (a picture of the menu kept as SHOT); the clipboard then holds that row's line.
menu_copy() {
    sleep 0.5
    [ -n "${2:-}" ] && e2e_shot "$2" >/dev/null
    xdotool key Down Return
    sleep 0.3
    printf '%s\r\n' "${row_line[$1]}" >"$E2E_WORK/expected.txt"
    clipboard "$E2E_WORK/clip.txt" || check_failed "nothing on the clipboard after the context menu's Копировать"
    same "$E2E_WORK/expected.txt" "$E2E_WORK/clip.txt" "the context menu did not copy row $1's line"
}

step "a right click on the second row: its context menu's Копировать"
xdotool mousemove "${col_x[1]}" $((row_y + 17)) click 3
menu_copy 9 context-menu

step "Shift+F10 on the first row: its context menu's Копировать"
xdotool mousemove "${col_x[1]}" "$row_y" click 1
keys "$NP_WIN" shift+F10
menu_copy 10

step "a header click keeps the selected row: Ctrl+C copies its line"
# 10.9.0.1, the second row, goes last when sorted by Mask.
xdotool mousemove "${col_x[1]}" $((row_y + 17)) click 1
click_header 2
keys "$NP_WIN" ctrl+c
sleep 0.3
printf '%s\r\n' "${row_line[9]}" >"$E2E_WORK/expected.txt"
clipboard "$E2E_WORK/clip.txt" || check_failed "nothing on the clipboard after the sort"
same "$E2E_WORK/expected.txt" "$E2E_WORK/clip.txt" "after the sort Ctrl+C did not copy the selected row's line"

step "Esc closes the program"
np_close_esc
e2e_finish
