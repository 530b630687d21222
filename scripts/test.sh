#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, then the Windows tests under Wine.
# Ends with one line "N passed, N failed" over both, and exits non-zero on any failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" || exit 1
. "$root/scripts/build.sh"
. "$root/scripts/wine-prefix.sh"
movalent_build "$root" || { echo "0 passed, 1 failed"; exit 1; }

rm -rf "$root/build/native/test-reports" "$root/build/win/test-reports"
mkdir -p "$root/build/native/test-reports" "$root/build/win/test-reports"

ctest --test-dir "$root/build/native" --output-on-failure -j"$(nproc)"
native=$?

wine_prefix_init "$root/build/win/wineprefix" null
wine_prefix_start
ctest --test-dir "$root/build/win" --output-on-failure -j"$(nproc)" --timeout 600
windows=$?
wine_prefix_stop

python3 "$root/scripts/count_results.py" "$root/build/native" "$root/build/win"
counted=$?
[ $native -eq 0 ] && [ $windows -eq 0 ] && [ $counted -eq 0 ]
