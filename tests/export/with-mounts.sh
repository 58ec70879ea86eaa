#!/bin/bash
# Runs the export tests with the two file systems that make writes fail for real: a
# read-only one, and a 64 KiB one. Without root the mounts are skipped and so are those tests.
set -u
test_exe=$1
dir=$(mktemp -d "${NETPEEK_BUILD_DIR:-/tmp}/export-mounts.XXXXXX")
cleanup() {
    umount "$dir/readonly" "$dir/small" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
mkdir -p "$dir/readonly" "$dir/small"
if [ "$(id -u)" = 0 ]; then
    mount -t tmpfs -o ro,size=64k netpeek-ro "$dir/readonly" &&
        mount -t tmpfs -o size=64k netpeek-small "$dir/small" &&
        export NETPEEK_READONLY_DIR=$dir/readonly NETPEEK_SMALL_DIR=$dir/small
fi
"$NETPEEK_SOURCE_DIR/scripts/wine-run" "$test_exe" --gtest_color=no
