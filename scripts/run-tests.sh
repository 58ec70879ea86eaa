#!/bin/bash
# Runs every test, native and Windows, as one CTest run with one summary.
# The Windows tests run from the build whose code this machine's Wine can execute.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$WINEARCH" = win32 ]; then windows=windows; else windows=windows-x64; fi
cat >"$root/build/CTestTestfile.cmake" <<EOT
# Made by scripts/run-tests.sh: the native tests and the Windows tests in one run.
subdirs("native" "$windows")
EOT
cd "$root/build" && ctest --output-on-failure --timeout 900 "$@"
