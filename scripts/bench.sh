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
        "$windows/bench/mincsv.exe" "Z:${folder//\//\\}" | tr -d '\r' >>"$build/bench-windows.txt"
    save_code=${PIPESTATUS[0]}

    # Idle: the program in a namespace of 42 addresses (loopback and 41 more) whose table does not
    # change, left alone for a minute; its process's time on a CPU over that minute, as the
    # scheduler counts it (the clock-tick counts of /proc/PID/stat charge a whole tick to a
    # process that happens to wake at one).
    idle_cpu() {
        local ns=np-bench-idle-$$ pid="" p t0 t1 i
        netns_create "$ns"
        netns_add_many "$ns" 41
        netns_prefix "$ns"
        python3 "$root/tests/e2e/settings.py" forget "$NETNS_PREFIX/user.reg"
        netns_wine "$ns" "$NETNS_PREFIX" wineboot >/dev/null 2>&1
        netns_wine "$ns" "$NETNS_PREFIX" "$windows/Netpeek.exe" >/dev/null 2>&1 &
        for i in $(seq 300); do
            for p in $(ip netns pids "$ns"); do
                [ "$(cat "/proc/$p/comm" 2>/dev/null)" = Netpeek.exe ] && pid=$p
            done
            [ -n "$pid" ] && xdotool search --name '^Netpeek$' >/dev/null 2>&1 && break
            sleep 0.1
        done
        [ -n "$pid" ] || { echo "the idle program did not start" >&2; return 1; }
        # The pointer starts over the list, so the row's tooltip shows first; idle is after it
        # has gone (it shows for 30 seconds).
        sleep 40
        t0=$(awk '{print $1}' "/proc/$pid/schedstat") || return 1
        sleep 60
        t1=$(awk '{print $1}' "/proc/$pid/schedstat") ||
            { echo "the idle program ended during its minute" >&2; return 1; }
        awk -v t0="$t0" -v t1="$t1" \
            'BEGIN { printf "limit\tidle CPU, 42 rows, unchanged table, 60 s\t%.3f\t%%\t0.20\n", (t1 - t0) / 1e9 / 60 * 100 }'
        wine_stop "$NETNS_PREFIX"
    }
    idle_cpu >>"$build/bench-windows.txt" && idle_code=0
else
    echo "the command-line save and the idle program need root for their network namespaces; not measured" >&2
fi
[ "$code" != 0 ] || code=$save_code
[ "$code" != 0 ] || code=$idle_code
python3 "$root/bench/report.py" "$build/bench-native.json" "$build/bench-windows.txt" "$code"
