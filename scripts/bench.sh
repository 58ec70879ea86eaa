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

# The command-line save reads the real table: a namespace with 10,000 addresses, whose own
# prefix starts Wine's services inside it, so that Wine's IP Helper sees that namespace.
save_code=1
if [ "$(id -u)" = 0 ]; then
    . "$root/tests/lib/common.sh"
    ns=np-bench-save-$$
    trap 'netns_cleanup; rm -rf "$folder"' EXIT
    netns_create "$ns"
    netns_add_many "$ns" 10000
    netns_prefix "$ns"
    python3 "$root/tests/e2e/settings.py" forget "$NETNS_PREFIX/user.reg"
    netns_wine "$ns" "$NETNS_PREFIX" wineboot >/dev/null 2>&1
    netns_wine "$ns" "$NETNS_PREFIX" "$windows/bench/save_bench.exe" "$windows/Netpeek.exe" \
        "$windows/bench/mincsv.exe" "Z:${folder//\//\\}" | tr -d '\r' >>"$build/bench-windows.txt"
    save_code=${PIPESTATUS[0]}
else
    echo "the command-line save needs root for its network namespace; not measured" >&2
fi
[ "$code" != 0 ] || code=$save_code
python3 "$root/bench/report.py" "$build/bench-native.json" "$build/bench-windows.txt" "$code"
