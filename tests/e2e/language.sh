#!/bin/bash
# The program in English, as a user who chose it last time starts it: with "Language" = "en"
# stored, the windows X can name (the About box, the Save As dialog, the log window) have English
# titles, and the icon's tip in a namespace with no address says so in English. X cannot read the
# menus and the toolbar: those are checked in process (commands_test). A screenshot of the window
# with its Help menu open is kept in the build folder.
set -u
E2E_NAME=language
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
ns=np-e2e-language-$$

# titled WINDOW-KEYS TITLE: the keys in the main window open a window of that title, closed by Esc.
titled() {
    local window
    keys "$NP_WIN" "$1"
    if window=$(wait_window "^$2\$"); then
        keys "$window" Escape
        wait_gone "$window" || check_failed "the window \"$2\" stays"
    else
        check_failed "$1 showed no window \"$2\""
    fi
}

step "Language en stored: the About box, the Save As dialog and the log are English"
e2e_netns "$ns"
netns_add_many "$ns" 1
np_setting "$ns" Language en
np_start "$ns"
titled shift+F1 About
titled F2 'Save As'
titled ctrl+l 'Change Log'
keys "$NP_WIN" F10 Right Right Down
sleep 0.5
import -window root "$E2E_BUILD/e2e-$E2E_NAME-help.png" 2>/dev/null
keys "$NP_WIN" Escape Escape
np_close_esc

step "no address at all, the icon on: its tip says so in English"
ns=$ns-none
e2e_netns "$ns"
ip -n "$ns" -6 addr flush dev npA && ip -n "$ns" -6 addr flush dev npB || fail "cannot take the links' addresses"
np_setting "$ns" Language en
np_setting "$ns" 'Minimize To Tray' 1
np_start "$ns"
icon=$(tray_icon) || e2e_fail "no icon in the notification area"
end=$((SECONDS + E2E_TIMEOUT)) tip=""
while [ "$SECONDS" -le "$end" ]; do
    xdotool mousemove 600 600 sleep 0.3 mousemove $icon sleep 1.5
    tip=$(np_probe "$ns" tip 2>/dev/null | tr -d '\r' | head -n 1)
    [ "$tip" = "No network connection" ] && break
done
[ "$tip" = "No network connection" ] || check_failed "the icon's tip starts with \"$tip\""
np_close_esc
e2e_finish
