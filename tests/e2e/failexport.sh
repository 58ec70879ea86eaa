#!/bin/bash
# A failed export, with real failures of the file system: 2,000 rows onto a 64 KiB tmpfs
# that holds an earlier export of 3 rows under the same name, and a file in a folder on a
# read-only tmpfs. Each time the error box titled "Netpeek" shows the full file name, an
# empty line, "Не удалось сохранить файл.", an empty line and the system's reason; the
# earlier file is unchanged byte for byte, no temporary file is left beside it, and the
# program goes on and answers F5 (with "Обновлять автоматически" off, so that only F5 can).
#
# The box's text is read from its picture: Wine draws a message box of the expected text
# (WScript.Shell's Popup, with the same title and icon), and the two pictures must be the
# same size and the same pixel for pixel above the OK button. Both stay in the build folder.
set -u
E2E_NAME=failexport
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-failexport-$$
small=$E2E_WORK/small readonly_fs=$E2E_WORK/ro
# "Не удалось сохранить файл."
failed_text=$'\u041d\u0435 \u0443\u0434\u0430\u043b\u043e\u0441\u044c \u0441\u043e\u0445\u0440\u0430\u043d\u0438\u0442\u044c \u0444\u0430\u0439\u043b.'

# expected_box TEXT PICTURE: Wine's message box with TEXT, titled Netpeek, with the error
# icon and an OK button, as a picture.
expected_box() {
    local script=$E2E_WORK/expected.js popup pid
    python3 -c 'import json, sys
print("new ActiveXObject(\"WScript.Shell\").Popup(%s, 0, \"Netpeek\", 16);" % json.dumps(sys.argv[1]))' \
        "$1" >"$script"
    (exec ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine wscript "$(winpath "$script")") \
        >>"$E2E_WORK/wine.log" 2>&1 &
    pid=$!
    popup=$(wait_window '^Netpeek$' "$NP_WIN") || e2e_fail "Wine did not show the expected message box"
    wait_drawn "$popup"
    import -window "$popup" "$2" || e2e_fail "no picture of the expected message box"
    keys "$popup" Return
    wait_gone "$popup" || e2e_fail "the expected message box did not close"
    wait "$pid" 2>/dev/null
}

# same_box SHOWN EXPECTED: the two message boxes have the same size and the same icon and
# text, pixel for pixel. The OK button below them is left out: whether it shows a focus
# rectangle depends on the keyboard's history in each process, not on the box.
same_box() {
    local size
    size=$(identify -format '%wx%h' "$1")
    [ "$size" = "$(identify -format '%wx%h' "$2")" ] ||
        { differ="sizes $size and $(identify -format '%wx%h' "$2")"; return 1; }
    local crop=${size%x*}x$((${size#*x} - 45))+0+0
    differ=$(compare -metric AE "$1[$crop]" "$2[$crop]" null: 2>&1)
    [ "$differ" = 0 ] || { differ="$differ pixels differ"; return 1; }
}

# failed_export CASE PATH REASON: exports onto PATH, which exists, says Yes to replacing it,
# and expects the error box with the system's REASON. The earlier file must stay as it was.
failed_export() {
    local case=$1 path=$2 reason=$3 known prompt box shot expected differ folder
    folder=$(dirname "$path")
    cp "$path" "$E2E_WORK/earlier-$case.csv"

    step "$case: export onto $(basename "$folder")/$(basename "$path"), replacing it"
    np_save_as "$path"
    known="$NP_WIN $SAVE_DIALOG"
    # The dialog's question, whatever its title.
    prompt=$(wait_window . "$known") || e2e_fail "the dialog did not ask before replacing $path"
    keys "$prompt" Return
    box=$(wait_window '^Netpeek$' "$known $prompt") || e2e_fail "no error box"
    wait_gone "$SAVE_DIALOG" || e2e_fail "the Save As dialog stayed open"

    step "$case: the error box"
    wait_drawn "$box"
    shot=$E2E_BUILD/e2e-$E2E_NAME-$case-box.png
    import -window "$box" "$shot" || e2e_fail "no picture of the error box"
    keys "$box" Return
    wait_gone "$box" || e2e_fail "OK did not close the error box"
    np_alive || check_failed "the program is gone after the error box"
    expected=$E2E_BUILD/e2e-$E2E_NAME-$case-expected.png
    expected_box "$(winpath "$path")"$'\r\n\r\n'"$failed_text"$'\r\n\r\n'"$reason" "$expected"
    same_box "$shot" "$expected" || check_failed "the error box is not the expected one ($differ):" \
        "compare $shot (shown) with $expected (expected text: $(winpath "$path") / $failed_text / $reason)"

    step "$case: the earlier file is unchanged, no temporary file is left"
    cmp -s "$path" "$E2E_WORK/earlier-$case.csv" || check_failed "$path changed"
    [ "$(ls -A "$folder")" = "$(basename "$path")" ] ||
        check_failed "$folder holds more than $(basename "$path"): $(ls -A "$folder" | tr '\n' ' ')"
}

step "two addresses on npA and npB"
netns_create "$ns"
ip -n "$ns" addr add 192.0.2.1/24 dev npA || fail "cannot add 192.0.2.1"
ip -n "$ns" addr add 198.51.100.1/24 dev npB || fail "cannot add 198.51.100.1"

step "a 64 KiB tmpfs, and a read-only one holding a folder with an earlier file"
e2e_mount "$small" size=64k
e2e_mount "$readonly_fs" size=64k
mkdir "$readonly_fs/reports"
printf '"Interface","IP","Mask","Broadcast","Realm size","Type"\r\n"1","127.0.0.1","255.0.0.0","1.0.0.0","65535","Primary"\r\n' \
    >"$readonly_fs/reports/list.csv"
mount -o remount,ro "$readonly_fs" || fail "cannot make $readonly_fs read-only"
touch "$readonly_fs/reports/probe" 2>/dev/null && fail "$readonly_fs is not read-only"

# Only now the prefix and the program: their processes see the mounts.
step "start Netpeek, not following the table"
e2e_prefix "$ns"
# F5 alone must bring in the addresses added later: following the table, the list would show
# them even if F5 no longer answered after a failed export.
np_setting "$ns" 'Auto Refresh' 0
np_start "$ns"

step "the earlier export: 3 rows onto the small file system"
np_export "$small/list.csv"
check_export "$small/list.csv" "$ns"

step "2,000 addresses more, F5: the list that will not fit"
netns_add_many "$ns" 2000
np_refresh
np_export "$E2E_WORK/all.csv"
check_export "$E2E_WORK/all.csv" "$ns"
[ "$(stat -c %s "$E2E_WORK/all.csv")" -gt 65536 ] || fail "the export of 2,000 rows would fit in 64 KiB"

# The reasons are the system's texts for ERROR_DISK_FULL and ERROR_ACCESS_DENIED, which is
# how Wine reports a write to a read-only file system.
failed_export full "$small/list.csv" "Disk full."
failed_export readonly "$readonly_fs/reports/list.csv" "Access denied."

step "the program still answers F5"
ip -n "$ns" addr add 203.0.113.1/24 dev npB || fail "cannot add 203.0.113.1"
np_refresh
np_export "$E2E_WORK/after.csv"
check_export "$E2E_WORK/after.csv" "$ns"

step "Esc closes the program"
np_close_esc
e2e_finish
