#!/bin/bash
# Cancel: F2 then Esc in the Save As dialog writes no file, whatever was typed or browsed
# to. The dialog opens in the folder of the last confirmed export, also after a restart:
# a bare file name typed into it lands in that folder (the dialog's current folder), not
# in the program's current folder nor in one browsed to in a cancelled dialog. Wine's own
# memory of the dialog's last folder is cleared first, so it is the program's that counts.
set -u
E2E_NAME=cancel
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-cancel-$$
start=$E2E_WORK/start kept=$E2E_WORK/kept other=$E2E_WORK/other
mkdir -p "$start" "$kept" "$other"

# files: every file in the work folder but Wine's output, one a line.
files() {
    (cd "$E2E_WORK" && find . -type f ! -name wine.log | sort)
}

# forget_dialog_folders: clears the file dialog's own memory of the folder it was last used
# in (Wine keeps one for each program, as Windows does), so that only the program's memory
# can lead the dialog back there.
forget_dialog_folders() {
    ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine reg delete \
        'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32' /f >>"$E2E_WORK/wine.log" 2>&1
}

# cancel_dialog [TEXT]: F2, TEXT typed (Enter after a folder browses into it), Esc; then
# F5, which the program takes only once it has finished with the dialog.
cancel_dialog() {
    keys "$NP_WIN" F2
    SAVE_DIALOG=$(wait_window '^Save As$' "$NP_WIN") || e2e_fail "F2 did not open the Save As dialog"
    [ -n "${1:-}" ] && type_into "$SAVE_DIALOG" "$1"
    [ -n "${2:-}" ] && xdotool key "$2"
    keys "$SAVE_DIALOG" Escape
    wait_gone "$SAVE_DIALOG" || e2e_fail "Esc did not close the Save As dialog"
    np_refresh
}

# export_bare NAME FOLDER: F2, only a file name typed, Enter; it must land in FOLDER.
export_bare() {
    np_save_as "$1"
    if ! wait_file "$2/$1"; then
        check_failed "the dialog did not open in $2: $1 went to $(files | grep -F "/$1" || echo nowhere)"
        [ -e "$start/$1" ] || [ -e "$other/$1" ] || e2e_fail "$1 was not written"
    fi
    wait_gone "$SAVE_DIALOG" || e2e_fail "the Save As dialog stayed open after the export"
}

step "one address on npA"
e2e_netns "$ns"
ip -n "$ns" addr add 192.0.2.1/24 dev npA || fail "cannot add 192.0.2.1"

step "start Netpeek from the folder start"
np_start "$ns" "$start"
before=$(files)

step "F2, Esc"
cancel_dialog
[ "$(files)" = "$before" ] || check_failed "a cancelled dialog wrote: $(files)"

step "F2, a full file name typed, Esc"
cancel_dialog "$(winpath "$other/typed.csv")"
[ "$(files)" = "$before" ] || check_failed "a cancelled dialog wrote: $(files)"

step "nothing remembered yet: a bare name lands in the current folder"
export_bare first.csv "$start"

step "export into the folder kept by its full name"
np_export "$kept/list.csv"

step "F2, browse into the folder other, Esc"
cancel_dialog "$(winpath "$other")" Return
[ -z "$(ls -A "$other")" ] || check_failed "the cancelled dialog wrote into other: $(ls -A "$other")"

step "the next F2 opens in kept"
forget_dialog_folders
export_bare again.csv "$kept"

step "after a restart, F2 opens in kept"
np_close_esc
forget_dialog_folders
np_start "$ns" "$start"
export_bare restarted.csv "$kept"
[ -z "$(ls -A "$other")" ] || check_failed "something was written into other: $(ls -A "$other")"

step "Esc closes the program"
np_close_esc
e2e_finish
