#!/bin/bash
# Every DLL that the given programs import by name is one that Windows loads from the system
# folder whatever lies beside the program: a KnownDLL (on Windows 7 and later), or the common
# controls, which the manifest takes from the side-by-side store. Anything else would be
# looked for in the program's folder first, where a planted DLL of that name would run.
# Usage: imports.sh PROGRAM...
set -u
. "$(dirname "$0")/lib/common.sh"
allowed=(ntdll kernel32 user32 gdi32 advapi32 shell32 shlwapi comdlg32 ole32 oleaut32 msvcrt rpcrt4
         sechost imm32 msctf nsi psapi setupapi imagehlp normaliz wldap32 ws2_32 comctl32)
[ $# -gt 0 ] || fail "usage: $0 PROGRAM..."
failures=0
for program in "$@"; do
    [ -f "$program" ] || fail "$program is not built (make build builds it)"
    dlls=$(objdump -p "$program" | awk '/DLL Name:/ {print tolower($3)}') ||
        fail "objdump cannot read $program"
    # kernel32 is in every program's table; without it the table was not read.
    grep -qx kernel32.dll <<<"$dlls" || fail "no import table read from $program"
    for dll in $dlls; do
        if [[ " ${allowed[*]} " != *" ${dll%.dll} "* ]]; then
            echo "FAIL: $program imports $dll, which Windows may load from the program's folder" >&2
            failures=$((failures + 1))
        fi
    done
done
[ "$failures" -eq 0 ] && echo "imports: only DLLs of the system folder in $*"
