#!/bin/bash
# A version.dll and an iphlpapi.dll beside Netpeek.exe, as a web page could leave them in a
# Downloads folder, with Wine told to prefer DLLs from the program's folder as Windows does:
# neither is loaded, nor called by the program, through start-up, a refresh (F5), an export
# and the About box (Shift+F1), nor by its console twin Netpeek.com saving the table, and
# the program shows the namespace's table as usual. A planted DLL leaves
# planted-<name>.loaded in its folder when it is loaded, and planted-<name>.called when the
# program's own code calls it.
#
# Wine's own system DLLs may import one of these names where Windows' do not (Wine 8.0's
# user32.dll imports version.dll): a bystander program that uses only kernel32 and user32
# shows which ones Wine loads for any program in that folder. Those are named in the output,
# and for them only the calls from the program are checked.
set -u
E2E_NAME=planting
. "$(dirname "$0")/lib.sh"
e2e_init "${1:-}"
planted=${2:-}
[ -f "$planted/version.dll" ] && [ -f "$planted/iphlpapi.dll" ] && [ -f "$planted/bystander.exe" ] ||
    fail "usage: $0 PATH/TO/Netpeek.exe FOLDER-OF-THE-PLANTED-DLLS"
ns=np-e2e-planting-$$
wine_loads=""

# no_markers WHEN: no planted DLL has been loaded by then, but for those that Wine loads for
# any program, and none has been called by the program.
no_markers() {
    local marker name
    for marker in "$app"/planted-*; do
        [ -e "$marker" ] || continue
        name=$(basename "$marker")
        [[ "$name" == *.loaded && " $wine_loads " == *" $(basename "$name" .loaded | cut -d- -f2).dll "* ]] &&
            continue
        check_failed "$name appeared: a planted DLL ran ($1)"
    done
}

step "Netpeek.exe, version.dll and iphlpapi.dll in one folder"
app=$E2E_WORK/Downloads
mkdir "$app" && cp "$NETPEEK_EXE" "${NETPEEK_EXE%.exe}.com" "$planted/version.dll" "$planted/iphlpapi.dll" "$planted/bystander.exe" "$app/" ||
    fail "cannot fill $app"
NETPEEK_EXE=$app/Netpeek.exe

step "one address on npA"
e2e_netns "$ns"
ip -n "$ns" addr add 192.0.2.9/24 dev npA || fail "cannot add 192.0.2.9"

step "what Wine loads from that folder for any program"
export WINEDLLOVERRIDES="version,iphlpapi=n,b"
np_launch "$ns" "$app" "$app/bystander.exe"
np_wait_exit "$E2E_START_TIMEOUT" || e2e_fail "the bystander program did not end"
for marker in "$app"/planted-*.loaded; do
    [ -e "$marker" ] && wine_loads="$wine_loads $(basename "$marker" .loaded | cut -d- -f2).dll"
done
rm -f "$app"/planted-*
[ -n "$wine_loads" ] &&
    echo "-- $E2E_NAME: NOTE: Wine's own DLLs load${wine_loads} for any program; for these only calls are checked"

step "start Netpeek from that folder, Wine preferring the DLLs there"
np_start "$ns" "$app"
no_markers "start-up"

step "F5, then an export of the list"
np_refresh
np_export "$E2E_WORK/list.csv"
check_export "$E2E_WORK/list.csv" "$ns"
no_markers "a refresh and an export"

step "the About box, closed with Esc"
keys "$NP_WIN" shift+F1
about=$(wait_window '^О программе$' "$NP_WIN") || e2e_fail "Shift+F1 did not open the About box"
wait_drawn "$about"
keys "$about" Escape
wait_gone "$about" || e2e_fail "Esc did not close the About box"
no_markers "the About box"

step "Esc closes the program"
np_close_esc
no_markers "the end"

step "Netpeek.com from that folder saves the table"
np_launch "$ns" "$app" "$app/Netpeek.com" /scomma "$(winpath "$E2E_WORK/twin.csv")"
np_wait_exit "$E2E_START_TIMEOUT" || e2e_fail "Netpeek.com did not end"
check_export "$E2E_WORK/twin.csv" "$ns"
no_markers "Netpeek.com's save"
e2e_finish
