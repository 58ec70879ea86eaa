#!/bin/bash
# Every DLL that the given programs import by name is one that Windows loads from the system
# folder whatever lies beside the program: a KnownDLL (on Windows 7 and later), or the common
# controls, which the manifest takes from the side-by-side store. Anything else would be
# looked for in the program's folder first, where a planted DLL of that name would run.
# Each PE header also names the subsystem its suffix promises: a .exe the GUI's (2), so that
# no console opens for the window, and a .com the console's (3), so that a shell waits for it.
# Usage: imports.sh PROGRAM...
set -u
. "$(dirname "$0")/lib/common.sh"
allowed=(ntdll kernel32 user32 gdi32 advapi32 shell32 shlwapi comdlg32 ole32 oleaut32 msvcrt rpcrt4
         sechost imm32 msctf nsi psapi setupapi imagehlp normaliz wldap32 ws2_32 comctl32)
[ $# -gt 0 ] || fail "usage: $0 PROGRAM..."
failures=0
for program in "$@"; do
    [ -f "$program" ] || fail "$program is not built (make build builds it)"
    header=$(objdump -p "$program") || fail "objdump cannot read $program"
    dlls=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$header")
    subsystem=$(awk '$1 == "Subsystem" {print $2 + 0}' <<<"$header")
    case $program in
        *.com) want=3 ;;
        *) want=2 ;;
    esac
    if [ "$subsystem" != "$want" ]; then
        echo "FAIL: $program has subsystem ${subsystem:-none}, not $want" >&2
        failures=$((failures + 1))
    fi
    # kernel32 is in every program's table; without it the table was not read.
    grep -qx kernel32.dll <<<"$dlls" || fail "no import table read from $program"
    for dll in $dlls; do
        if [[ " ${allowed[*]} " != *" ${dll%.dll} "* ]]; then
            echo "FAIL: $program imports $dll, which Windows may load from the program's folder" >&2
            failures=$((failures + 1))
        fi
    done
done
[ "$failures" -eq 0 ] && echo "imports: only DLLs of the system folder, and the right subsystem, in $*"
