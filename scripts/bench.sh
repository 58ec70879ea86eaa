#!/bin/bash
# Runs the benchmarks of `make bench` and prints one table; run under scripts/with-wine.sh,
# which gives Wine its display and prefix. Exits non-zero when a budget is missed.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
if [ "$WINEARCH" = win32 ]; then windows=$build/bench-windows; else windows=$build/bench-windows-x64; fi

"$build/bench-native/bench/core_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$build/bench-native.json" --benchmark_out_format=json >"$build/bench-native.log" 2>&1 ||
    { cat "$build/bench-native.log" >&2; echo "the native benchmarks failed" >&2; exit 1; }

# The export's files go to a folder of their own under /tmp, which Wine reaches as Z:\tmp.
folder=$(mktemp -d /tmp/netpeek-bench.XXXXXX)
trap 'rm -rf "$folder"' EXIT
wine "$windows/bench/win_bench.exe" "$windows/Netpeek.exe" "$windows/bench/minwin.exe" \
    "$build/bench-windows/Netpeek.exe" "Z:${folder//\//\\}" | tr -d '\r' >"$build/bench-windows.txt"
code=${PIPESTATUS[0]}
wine "$windows/bench/watch_bench.exe" "Z:${folder//\//\\}" | tr -d '\r' >>"$build/bench-windows.txt"
watch_code=${PIPESTATUS[0]}

# The command-line save and the idle program read the real table of a namespace of their own,
# whose own prefix starts Wine's services inside it, so that Wine's IP Helper sees that namespace.
save_code=1
idle_code=1
if [ "$(id -u)" = 0 ]; then
    . "$root/tests/lib/common.sh"
    trap 'netns_cleanup; rm -rf "$folder"' EXIT

    # The save of 10,000 addresses, from start to exit.
    ns=np-bench-save-$$
    netns_create "$ns"
    netns_add_many "$ns" 10000
    netns_prefix "$ns"
    python3 "$root/tests/e2e/settings.py" forget "$NETNS_PREFIX/user.reg"
    netns_wine "$ns" "$NETNS_PREFIX" wineboot >/dev/null 2>&1
    netns_wine "$ns" "$NETNS_PREFIX" "$windows/bench/save_bench.exe" "$windows/Netpeek.exe" \
        "$windows/bench/mincsv.exe" "Z:${folder//\//\\}" /scomma | tr -d '\r' >>"$build/bench-windows.txt"
    save_code=${PIPESTATUS[0]}
    # The metrics of the same table, beside a program that reads what they tell and writes their bytes.
    netns_wine "$ns" "$NETNS_PREFIX" "$windows/bench/save_bench.exe" "$windows/Netpeek.exe" \
        "$windows/bench/minprom.exe" "Z:${folder//\//\\}" /sprom | tr -d '\r' >>"$build/bench-windows.txt"
    [ "${PIPESTATUS[0]}" = 0 ] || save_code=1

    # The time on a CPU of the process named NAME in namespace NS, as the scheduler counts it
    # (the clock-tick counts of /proc/PID/stat charge a whole tick to a process that happens to
    # wake at one), in nanoseconds.
    ns_pid() {
        local p
        for p in $(ip netns pids "$1"); do
            [ "$(cat "/proc/$p/comm" 2>/dev/null)" = "$2" ] && { echo "$p"; return 0; }
        done
        return 1
    }
    cpu_ns() { awk '{print $1}' "/proc/$1/schedstat"; }

    # The peak working set of Netpeek.exe showing the 10,001 rows of the save's namespace, beside
    # that of the least a program must hold to show them (bench/minlist.cpp), started with it in the
    # same namespace and prefix: both measured alike from outside, as the kernel counts them (VmHWM),
    # a few seconds after both windows have shown their rows, the pointer off both. A ratio, as
    # Wine's own share of a process differs between machines and is the same in both.
    peak_memory() {
        local pid="" base="" shown="" i width height
        read -r width height < <(xdotool getdisplaygeometry)
        xdotool mousemove $((width - 1)) $((height - 1))
        netns_wine "$ns" "$NETNS_PREFIX" "$windows/Netpeek.exe" >/dev/null 2>&1 &
        netns_wine "$ns" "$NETNS_PREFIX" "$windows/bench/minlist.exe" >/dev/null 2>&1 &
        for i in $(seq 1200); do
            [ -n "$pid" ] || pid=$(ns_pid "$ns" Netpeek.exe)
            [ -n "$base" ] || base=$(ns_pid "$ns" minlist.exe)
            [ -n "$pid" ] && [ -n "$base" ] && xdotool search --onlyvisible --name '^Netpeek$' >/dev/null 2>&1 &&
                xdotool search --onlyvisible --name '^Minimal list$' >/dev/null 2>&1 && shown=1 && break
            sleep 0.1
        done
        [ -n "$shown" ] || { echo "the program or the minimal list did not show its rows" >&2; return 1; }
        sleep 5
        local kib base_kib
        kib=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status" 2>/dev/null)
        base_kib=$(awk '/^VmHWM:/ {print $2}' "/proc/$base/status" 2>/dev/null)
        [ -n "$kib" ] && [ -n "$base_kib" ] || { echo "a program ended before its memory was measured" >&2; return 1; }
        awk -v a="$kib" -v b="$base_kib" 'BEGIN {
            printf "memory\tpeak working set, 10001 rows shown\t%.2f\t", a / 1024
            printf "minimal owner-data list, same rows\t%.2f\t1.80\n", b / 1024 }'
        wine_stop "$NETNS_PREFIX"
    }
    memory_code=1
    peak_memory >>"$build/bench-windows.txt" && memory_code=0

    # idle_cpu ADDRESSES SECONDS [BASELINE.EXE]: the program in a namespace of loopback and
    # ADDRESSES more whose table does not change, left alone for SECONDS once its window has shown
    # (it shows once its list is filled); its share of a core over them, as a percentage. With a
    # baseline program, that one runs beside it in the same namespace over the same seconds, and
    # both shares are printed.
    idle_cpu() {
        local count=$1 seconds=$2 baseline=${3:-} ns=np-bench-idle-$1-$$ pid="" base="" i t0 t1 b0 b1
        netns_create "$ns"
        netns_add_many "$ns" "$count"
        netns_prefix "$ns"
        python3 "$root/tests/e2e/settings.py" forget "$NETNS_PREFIX/user.reg"
        netns_wine "$ns" "$NETNS_PREFIX" wineboot >/dev/null 2>&1
        netns_wine "$ns" "$NETNS_PREFIX" "$windows/Netpeek.exe" >/dev/null 2>&1 &
        [ -z "$baseline" ] || netns_wine "$ns" "$NETNS_PREFIX" "$baseline" >/dev/null 2>&1 &
        for i in $(seq 1200); do
            [ -n "$pid" ] || pid=$(ns_pid "$ns" Netpeek.exe)
            [ -z "$baseline" ] || [ -n "$base" ] || base=$(ns_pid "$ns" "${baseline##*/}")
            [ -n "$pid" ] && { [ -z "$baseline" ] || [ -n "$base" ]; } &&
                xdotool search --onlyvisible --name '^Netpeek$' >/dev/null 2>&1 && break
            sleep 0.1
        done
        [ -n "$pid" ] || { echo "the idle program did not start" >&2; return 1; }
        [ -z "$baseline" ] || [ -n "$base" ] || { echo "the minimal re-reading program did not start" >&2; return 1; }
        # The pointer starts over the list, so the row's tooltip shows first; idle is after it
        # has gone (it shows for 30 seconds).
        sleep 40
        t0=$(cpu_ns "$pid") || return 1
        [ -z "$base" ] || b0=$(cpu_ns "$base") || return 1
        sleep "$seconds"
        t1=$(cpu_ns "$pid") || { echo "the idle program ended during its $seconds seconds" >&2; return 1; }
        [ -z "$base" ] || b1=$(cpu_ns "$base") ||
            { echo "the minimal re-reading program ended during its $seconds seconds" >&2; return 1; }
        if [ -n "$base" ]; then
            awk -v t0="$t0" -v t1="$t1" -v b0="$b0" -v b1="$b1" -v s="$seconds" -v n="$((count + 1))" 'BEGIN {
                printf "share\tidle CPU, %d rows, unchanged table, %d s\t%.4f\t", n, s, (t1 - t0) / 1e9 / s * 100
                printf "minimal re-reading program\t%.4f\t1.10\n", (b1 - b0) / 1e9 / s * 100 }'
        else
            awk -v t0="$t0" -v t1="$t1" -v s="$seconds" -v n="$count" 'BEGIN {
                printf "limit\tidle CPU, %d addresses, unchanged, %d s\t%.3f\t%%\t2.00\n", n, s,
                    (t1 - t0) / 1e9 / s * 100 }'
        fi
        wine_stop "$NETNS_PREFIX"
    }
    # 42 rows (loopback and 41 more) for a minute, beside a program that only re-reads the table
    # every 2 seconds: the least any re-reading program costs under Wine, whose read is slow.
    idle_cpu 41 60 "$windows/bench/minread.exe" >>"$build/bench-windows.txt" &&
        # 5,000 addresses for two minutes: following a big table must stay cheap too.
        idle_cpu 5000 120 >>"$build/bench-windows.txt" && idle_code=0

    # idle_watch ADDRESSES SECONDS [BASELINE.EXE]: as idle_cpu, for the command line's watch
    # (Netpeek.com /wjson - into /dev/null), measured once its first read and lines are long done.
    idle_watch() {
        local count=$1 seconds=$2 baseline=${3:-} ns=np-bench-watch-$1-$$ pid="" base="" i t0 t1 b0 b1
        netns_create "$ns"
        netns_add_many "$ns" "$count"
        netns_prefix "$ns"
        python3 "$root/tests/e2e/settings.py" forget "$NETNS_PREFIX/user.reg"
        netns_wine "$ns" "$NETNS_PREFIX" wineboot >/dev/null 2>&1
        netns_wine "$ns" "$NETNS_PREFIX" "$windows/Netpeek.com" /wjson - >/dev/null 2>&1 &
        [ -z "$baseline" ] || netns_wine "$ns" "$NETNS_PREFIX" "$baseline" >/dev/null 2>&1 &
        for i in $(seq 600); do
            [ -n "$pid" ] || pid=$(ns_pid "$ns" Netpeek.com)
            [ -z "$baseline" ] || [ -n "$base" ] || base=$(ns_pid "$ns" "${baseline##*/}")
            [ -n "$pid" ] && { [ -z "$baseline" ] || [ -n "$base" ]; } && break
            sleep 0.1
        done
        [ -n "$pid" ] || { echo "the idle watch did not start" >&2; return 1; }
        [ -z "$baseline" ] || [ -n "$base" ] || { echo "the minimal re-reading program did not start" >&2; return 1; }
        sleep 20
        t0=$(cpu_ns "$pid") || { echo "the idle watch ended before it was measured" >&2; return 1; }
        [ -z "$base" ] || b0=$(cpu_ns "$base") || return 1
        sleep "$seconds"
        t1=$(cpu_ns "$pid") || { echo "the idle watch ended during its $seconds seconds" >&2; return 1; }
        [ -z "$base" ] || b1=$(cpu_ns "$base") ||
            { echo "the minimal re-reading program ended during its $seconds seconds" >&2; return 1; }
        if [ -n "$base" ]; then
            awk -v t0="$t0" -v t1="$t1" -v b0="$b0" -v b1="$b1" -v s="$seconds" -v n="$((count + 1))" 'BEGIN {
                printf "share\tidle watch CPU, %d rows, unchanged table, %d s\t%.4f\t", n, s, (t1 - t0) / 1e9 / s * 100
                printf "minimal re-reading program\t%.4f\t1.10\n", (b1 - b0) / 1e9 / s * 100 }'
        else
            awk -v t0="$t0" -v t1="$t1" -v s="$seconds" -v n="$count" 'BEGIN {
                printf "limit\tidle watch CPU, %d addresses, unchanged, %d s\t%.3f\t%%\t2.00\n", n, s,
                    (t1 - t0) / 1e9 / s * 100 }'
        fi
        wine_stop "$NETNS_PREFIX"
    }
    watch_idle_code=1
    idle_watch 41 60 "$windows/bench/minread.exe" >>"$build/bench-windows.txt" &&
        idle_watch 5000 120 >>"$build/bench-windows.txt" && watch_idle_code=0
else
    echo "the command-line save and the idle program need root for their network namespaces; not measured" >&2
fi
[ "$code" != 0 ] || code=$watch_code
[ "$code" != 0 ] || code=$save_code
[ "$code" != 0 ] || code=${memory_code:-1}
[ "$code" != 0 ] || code=$idle_code
[ "$code" != 0 ] || code=${watch_idle_code:-1}
python3 "$root/bench/report.py" "$build/bench-native.json" "$build/bench-windows.txt" "$code"
