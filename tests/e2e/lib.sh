# Helpers for the end-to-end scenarios. The built Netpeek.exe runs as a process under Wine
# inside a network namespace of its own, on the run's virtual X display, and is driven only
# through that display's keyboard and mouse; outcomes are read from the files it writes,
# its window's geometry, screenshots, and what it shows after a restart.
#
# A scenario sets E2E_NAME, sources this file and calls e2e_init with the program's path.
# Everything it makes (namespace, Wine prefix and processes, mounts, files) is removed by
# the EXIT trap, also when a step fails; a failure keeps a screenshot in the build folder.

. "$(dirname "${BASH_SOURCE[0]}")/../lib/common.sh"
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

E2E_STEP="setting up"
E2E_WORK=""
E2E_MOUNTS=""
E2E_ETC=""
E2E_ETC_MADE=""
E2E_FAILURES=0
E2E_BUILD=${NETPEEK_BUILD_DIR:-/tmp}
NP_PID=""
NP_WIN=""
NP_DESKTOP=""

# Seconds to wait for a window, a dialog or a file. A prefix's first Wine process in a new
# namespace starts Wine's services there, the slowest thing in a scenario.
E2E_START_TIMEOUT=${E2E_START_TIMEOUT:-60}
E2E_TIMEOUT=${E2E_TIMEOUT:-20}
# Seconds within which the program shows a change of the table by itself. It re-reads every 2
# seconds, but waits a hundred times as long as its quicker recent read took, and a busy machine
# slows Wine's reads to tens of milliseconds: a scenario waits this long for what a re-read shows.
E2E_FOLLOW_TIMEOUT=${E2E_FOLLOW_TIMEOUT:-40}

step() {
    E2E_STEP=$*
    echo "-- $E2E_NAME ${SECONDS}s: $E2E_STEP"
}

# e2e_shot NAME: keeps a picture of the whole display as e2e-<scenario>-NAME.png.
e2e_shot() {
    local shot=$E2E_BUILD/e2e-$E2E_NAME-$1.png
    import -window root "$shot" 2>/dev/null && echo "$shot"
}

# e2e_fail MESSAGE: a step that the rest cannot do without failed; stop here.
e2e_fail() {
    local shot
    shot=$(e2e_shot fail) || shot="(none: the display could not be read)"
    echo "FAIL: $E2E_NAME, step \"$E2E_STEP\": $*" >&2
    echo "      screenshot: $shot" >&2
    keep_wine_log
    exit 1
}

# keep_wine_log: what Wine said, beside the failure's screenshot.
keep_wine_log() {
    [ -s "$E2E_WORK/wine.log" ] && cp "$E2E_WORK/wine.log" "$E2E_BUILD/e2e-$E2E_NAME-wine.log" &&
        echo "      Wine's output: $E2E_BUILD/e2e-$E2E_NAME-wine.log" >&2
}

# check_failed MESSAGE: an outcome is wrong; say so, keep a picture, and go on with the
# other checks. e2e_finish fails the scenario.
check_failed() {
    local shot
    E2E_FAILURES=$((E2E_FAILURES + 1))
    shot=$(e2e_shot fail) || shot="(none)"
    echo "FAIL: $E2E_NAME, step \"$E2E_STEP\": $*" >&2
    echo "      screenshot: $shot" >&2
}

e2e_finish() {
    if [ "$E2E_FAILURES" -ne 0 ]; then
        echo "$E2E_NAME: $E2E_FAILURES check(s) failed" >&2
        keep_wine_log
        exit 1
    fi
    rm -f "$E2E_BUILD/e2e-$E2E_NAME-fail.png" "$E2E_BUILD/e2e-$E2E_NAME-wine.log"
    echo "$E2E_NAME: passed"
    exit 0
}

e2e_cleanup() {
    local mount
    # Wine ends first, so that nothing holds a file on the mounts any more.
    netns_cleanup
    for mount in $E2E_MOUNTS; do
        umount "$mount" 2>/dev/null || umount -l "$mount" 2>/dev/null
    done
    for dir in $E2E_ETC; do
        rm -rf "$dir"
    done
    [ -n "$E2E_ETC_MADE" ] && rmdir /etc/netns 2>/dev/null
    [ -n "$E2E_WORK" ] && rm -rf "$E2E_WORK"
    wait 2>/dev/null
}

# e2e_init PROGRAM: root, the tools and a display; a work folder under /tmp, which Wine
# reaches as Z:\tmp\...
e2e_init() {
    [ -f "${1:-}" ] || fail "usage: $0 PATH/TO/Netpeek.exe"
    NETPEEK_EXE=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
    require_root
    local tool
    for tool in xdotool xwininfo import compare wine wineserver ip python3; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
    done
    [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1 ||
        fail "no X display: run under scripts/with-wine.sh"
    [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || fail "no Wine prefix: run under scripts/with-wine.sh"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    E2E_WORK=$(mktemp -d "/tmp/e2e-$E2E_NAME.XXXXXX")
    chmod 755 "$E2E_WORK"
    rm -f "$E2E_BUILD/e2e-$E2E_NAME"-*
}

# e2e_netns NS: the namespace with loopback and the links npA and npB, and its prefix.
e2e_netns() {
    netns_create "$1"
    e2e_prefix "$1"
}

# e2e_prefix NS: a Wine prefix of the namespace's own in E2E_PREFIX, copied from the run's
# but without the settings that other tests left there for the program: it starts as on a
# machine where it never ran.
e2e_prefix() {
    netns_prefix "$1"
    E2E_PREFIX=$NETNS_PREFIX
    python3 "$E2E_DIR/settings.py" forget "$E2E_PREFIX/user.reg" ||
        fail "cannot clear the program's settings in $E2E_PREFIX"
    e2e_wine_up "$1"
}

# e2e_wine_up NS: the prefix's Wine server, kept up for the whole scenario, and Wine's
# services, started inside the namespace before the program is. Every start of the program
# then finds them ready, and a start of Wine itself that hangs is told apart from one of the
# program: it is not the program's fault, so it is tried once more.
e2e_wine_up() {
    local ns=$1 attempt
    for attempt in 1 2; do
        ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" wineserver -p &&
            timeout "$E2E_START_TIMEOUT" ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" \
                WINEDEBUG=-all wine wineboot >>"$E2E_WORK/wine.log" 2>&1 && return 0
        echo "-- $E2E_NAME: Wine did not start in $ns (attempt $attempt)" >&2
        wine_stop "$E2E_PREFIX"
    done
    e2e_fail "Wine's services did not start in the namespace"
}

# winpath /tmp/x/y.csv -> Z:\tmp\x\y.csv
winpath() {
    local path=$1
    echo "Z:${path//\//\\}"
}

# e2e_mount TARGET OPTIONS: a tmpfs at TARGET, unmounted at exit. Mount before the prefix's
# first Wine process starts in the namespace: `ip netns exec` copies the mount table when it
# starts a process, and Wine would write through to the folder beneath a later mount.
e2e_mount() {
    local target=$1 options=$2
    mkdir -p "$target"
    mount -t tmpfs -o "$options" tmpfs "$target" || fail "cannot mount a tmpfs at $target"
    E2E_MOUNTS="$target $E2E_MOUNTS"
}

# e2e_netns_file NS NAME TEXT: /etc/netns/NS/NAME holding TEXT, which `ip netns exec` puts over
# /etc/NAME for each process it starts in the namespace; removed at exit, with /etc/netns when
# it was made for it. Write it before the prefix's first Wine process starts in the namespace.
e2e_netns_file() {
    [ -d /etc/netns ] || E2E_ETC_MADE=yes
    mkdir -p "/etc/netns/$1" || fail "cannot make /etc/netns/$1"
    E2E_ETC="/etc/netns/$1 $E2E_ETC"
    printf '%s' "$3" >"/etc/netns/$1/$2" || fail "cannot write /etc/netns/$1/$2"
}

# ---- waiting for what the display shows ---------------------------------------------------

# wait_window NAME-REGEX [EXCEPT-IDS] [SECONDS]: prints the id of a shown window with that
# title that is none of EXCEPT-IDS, once there is one.
wait_window() {
    local name=$1 except=" ${2:-} " seconds=${3:-$E2E_TIMEOUT} end w
    end=$((SECONDS + seconds))
    while [ "$SECONDS" -le "$end" ]; do
        for w in $(xdotool search --onlyvisible --name "$name" 2>/dev/null); do
            [[ "$except" != *" $w "* ]] && { echo "$w"; return 0; }
        done
        sleep 0.1
    done
    return 1
}

# tray_icon: the centre of the first icon in Wine's tray window, as "X Y".
tray_icon() {
    local tray geometry
    tray=$(wait_window '^Wine System Tray$' "" 5) || return 1
    geometry=$(xdotool getwindowgeometry --shell "$tray") || return 1
    eval "$geometry"
    echo "$((X + 8)) $((Y + 10))"
}

# wait_gone WINDOW [SECONDS]: until the window is no longer shown.
wait_gone() {
    local window=$1 seconds=${2:-$E2E_TIMEOUT} end
    end=$((SECONDS + seconds))
    while [ "$SECONDS" -le "$end" ]; do
        xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable' || return 0
        sleep 0.1
    done
    return 1
}

# wait_file PATH [SECONDS]: until the file exists. The program writes a temporary file and
# renames it, so a file that exists is complete.
wait_file() {
    local path=$1 seconds=${2:-$E2E_TIMEOUT} end
    end=$((SECONDS + seconds))
    while [ "$SECONDS" -le "$end" ]; do
        [ -e "$path" ] && return 0
        sleep 0.1
    done
    return 1
}

# wait_drawn WINDOW: until two pictures of the window in a row are the same, i.e. it has
# finished drawing.
wait_drawn() {
    local window=$1 previous="" current
    for _ in $(seq 50); do
        current=$(import -window "$window" png:- 2>/dev/null | md5sum)
        [ "$current" = "$previous" ] && return 0
        previous=$current
        sleep 0.1
    done
}

# ---- keyboard ----------------------------------------------------------------------------

# keys WINDOW KEY...: gives the window the keyboard focus, then presses the keys.
keys() {
    local window=$1
    shift
    timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null || e2e_fail "window $window did not take the focus"
    xdotool key --delay 30 "$@"
}

# type_into WINDOW TEXT: gives the window the focus and types the text.
type_into() {
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || e2e_fail "window $1 did not take the focus"
    xdotool type --delay 10 "$2"
}

# ---- the program ---------------------------------------------------------------------------

# np_launch NS FOLDER ARGS...: starts wine ARGS in the namespace with the scenario's prefix,
# from FOLDER; NP_PID is the process. What Wine reports goes to $E2E_WORK/wine.log.
np_launch() {
    local ns=$1 folder=$2
    shift 2
    (cd "$folder" && exec ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine "$@") \
        >>"$E2E_WORK/wine.log" 2>&1 &
    NP_PID=$!
}

# np_start NS [FOLDER]: starts Netpeek.exe in the namespace, its current folder FOLDER (the
# work folder by default), and waits until its main window has drawn: NP_WIN.
np_start() {
    np_launch "$1" "${2:-$E2E_WORK}" "$NETPEEK_EXE"
    if ! NP_WIN=$(wait_window '^Netpeek$' "" "$E2E_START_TIMEOUT"); then
        np_state
        e2e_fail "the Netpeek window did not appear ($NP_STATE)"
    fi
    wait_drawn "$NP_WIN"
}

# np_probe NS WHAT: what a probe run beside the program in the same Wine reads, for what X
# cannot tell: "clip" the clipboard's text byte for byte (Wine drops its CRs on the way to X),
# "tip" the text of each tooltip shown now (Wine gives X no name for it), one a line.
np_probe() {
    [ -f "${NETPEEK_WINPROBE:-}" ] || fail "no probe (NETPEEK_WINPROBE names it)"
    ip netns exec "$1" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine "$NETPEEK_WINPROBE" "$2" \
        2>>"$E2E_WORK/wine.log"
}

# e2e_windows_ready NS: waits until a program started now can make a window again. Wine restarts
# its desktop after the end of a session (wineboot -e), and a window made meanwhile fails.
e2e_windows_ready() {
    local end=$((SECONDS + E2E_START_TIMEOUT))
    until np_probe "$1" window; do
        [ "$SECONDS" -le "$end" ] || e2e_fail "Wine could make no window again after the end of the session"
        sleep 0.1
    done
}

# np_copy NS WINDOW FILE: Ctrl+C in the window, and the clipboard's bytes into FILE.
np_copy() {
    keys "$2" ctrl+c
    sleep 0.3
    np_probe "$1" clip >"$3" || check_failed "nothing on the clipboard"
}

# np_reg NS ARGS...: Wine's reg command on the scenario's prefix (its output has CR LF lines).
np_reg() {
    local ns=$1
    shift
    ip netns exec "$ns" env WINEPREFIX="$E2E_PREFIX" WINEDEBUG=-all wine reg "$@" 2>>"$E2E_WORK/wine.log"
}

# np_setting NS NAME [VALUE]: stores VALUE as the program's string value NAME, or without a
# VALUE prints what is stored there (nothing when there is no such value).
np_setting() {
    local key='HKCU\Software\Brindle\Netpeek'
    if [ $# -eq 3 ]; then
        np_reg "$1" add "$key" /v "$2" /t REG_SZ /d "$3" /f >/dev/null || e2e_fail "cannot store $2 in the prefix"
    else
        np_reg "$1" query "$key" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
    fi
}

# np_state: NP_STATE says whether the program still runs, or how it ended, and which windows
# are shown. Not for a command substitution: only this shell can wait for the program.
np_state() {
    local code w titles=""
    if kill -0 "$NP_PID" 2>/dev/null; then
        NP_STATE="the program still runs"
    else
        wait "$NP_PID" 2>/dev/null
        code=$?
        NP_STATE="the program ended with exit code $code"
    fi
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        titles="$titles \"$(xdotool getwindowname "$w" 2>/dev/null)\""
    done
    NP_STATE="$NP_STATE; windows shown:${titles:- none}"
}

# np_wait_exit [SECONDS]: until the program has ended.
np_wait_exit() {
    local seconds=${1:-$E2E_TIMEOUT} end
    end=$((SECONDS + seconds))
    while [ "$SECONDS" -le "$end" ]; do
        if ! kill -0 "$NP_PID" 2>/dev/null; then
            wait "$NP_PID" 2>/dev/null
            NP_PID=""
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# np_alive: the program still runs and shows its window.
np_alive() {
    kill -0 "$NP_PID" 2>/dev/null && xwininfo -id "$NP_WIN" 2>/dev/null | grep -q IsViewable
}

# np_close_esc: Esc in the main window, then the program must end.
np_close_esc() {
    keys "$NP_WIN" Escape
    np_wait_exit || e2e_fail "Esc did not close the program"
}

# np_save_as PATH: F2 in the main window, the file name typed into the Save As dialog (a
# path from / as its full Windows name, anything else as it is), Enter. SAVE_DIALOG is the
# dialog, which may still be up (a prompt, an error).
np_save_as() {
    local name=$1
    [[ "$name" == /* ]] && name=$(winpath "$name")
    keys "$NP_WIN" F2
    SAVE_DIALOG=$(wait_window '^Save As$' "$NP_WIN") || e2e_fail "F2 did not open the Save As dialog"
    type_into "$SAVE_DIALOG" "$name"
    xdotool key Return
}

# np_export PATH: exports into a new file and waits for it and for the dialog to close.
np_export() {
    np_save_as "$1"
    wait_file "$1" || e2e_fail "the export did not write $1"
    wait_gone "$SAVE_DIALOG" || e2e_fail "the Save As dialog stayed open after the export"
}

# np_refresh: F5 in the main window, then waits until it has drawn the new list.
np_refresh() {
    keys "$NP_WIN" F5
    wait_drawn "$NP_WIN"
}

# ---- the address table ---------------------------------------------------------------------

# ns_addresses NS FILE [ipv6]: what `ip` lists as the namespace's IPv4 addresses (with "ipv6",
# its IPv6 addresses too), for table.py.
ns_addresses() {
    local families=(-4)
    [ "${3:-}" = ipv6 ] && families=()
    ip -n "$1" "${families[@]}" -o addr show >"$2" || fail "ip cannot list the addresses of $1"
}

# check_export CSV NS [ipv6]: the exported file is exactly the namespace's table, with "ipv6"
# its IPv6 rows after the IPv4 ones (table.py says how it differs otherwise).
check_export() {
    local report
    ns_addresses "$2" "$E2E_WORK/ip-addr.txt" "${3:-}"
    report=$(python3 "$E2E_DIR/table.py" check "$1" "$E2E_WORK/ip-addr.txt" 2>&1) ||
        check_failed "$(basename "$1") is not the namespace's address table: $report"
}

# csv_addresses CSV: the IP column of the exported file, one a line.
csv_addresses() {
    python3 "$E2E_DIR/table.py" addresses "$1"
}

# ---- the two-link table of the sorting scenarios -------------------------------------------

# two_links NS: links with indexes 12 and 47 in the namespace; 12 carries 10.100.0.1/8 and
# 10.9.0.1/24, 47 carries 10.10.0.1/16 (as text 10.10 < 10.100 < 10.9, as numbers the other way).
two_links() {
    ip -n "$1" link add v12 index 12 type veth peer name v47 index 47 || fail "cannot make links 12 and 47"
    ip -n "$1" link set v12 up && ip -n "$1" link set v47 up || fail "cannot bring the links up"
    ip -n "$1" addr add 10.100.0.1/8 dev v12 && ip -n "$1" addr add 10.9.0.1/24 dev v12 &&
        ip -n "$1" addr add 10.10.0.1/16 dev v47 || fail "cannot add the addresses"
}

# The export's lines of those rows and of loopback, by address, and its header line.
declare -A row_line=(
    [lo]='"1","127.0.0.1","255.0.0.0","1.0.0.0","65535","Primary"'
    [9]='"12","10.9.0.1","255.255.255.0","1.0.0.0","65535","Primary"'
    [10]='"47","10.10.0.1","255.255.0.0","1.0.0.0","65535","Primary"'
    [100]='"12","10.100.0.1","255.0.0.0","1.0.0.0","65535","Primary"'
)
header_line='"Interface","IP","Mask","Broadcast","Realm size","Type"'

# expect_text FILE ROW...: the export's text of the rows, in that order, CR LF after each line.
expect_text() {
    local file=$1 row
    shift
    { printf '%s\r\n' "$header_line"; for row in "$@"; do printf '%s\r\n' "${row_line[$row]}"; done; } >"$file"
}

# same EXPECTED ACTUAL WHAT: the two files hold the same bytes.
same() {
    cmp -s "$1" "$2" && return 0
    { echo "expected:"; cat -A "$1"; echo "found:"; cat -A "$2" 2>&1; } >&2
    check_failed "$3"
}
