#!/usr/bin/env bash
# Builds everything and runs every test this host can run: the native unit tests, the 64-bit Windows suite under
# 64-bit Wine, and the 32-bit Windows suite where the host can start a 32-bit program (elsewhere only the 32-bit
# program is built, and the suite is reported as not run, with the reason), then the installers scripts/package.sh
# makes, installed, upgraded and removed under Wine (the 32-bit one where the host starts 32-bit programs). Ends
# with a line naming the suites that ran and the line "N passed, N failed" over all of them; exits non-zero on any
# failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" || exit 1
. "$root/scripts/build.sh"
. "$root/scripts/wine-prefix.sh"
. "$root/scripts/test-suites.sh"
. "$root/scripts/version.sh"

fail() { echo "$1" >&2; echo "0 passed, 1 failed"; exit 1; }

start=$(date +%s)
movalent_build_native "$root" || fail "The native build failed"
movalent_build_windows "$root" win64 || fail "The 64-bit Windows build failed"
why_no_32bit=$(probe_32bit_suite "$root")
if [ -z "$why_no_32bit" ]; then
    movalent_build_windows "$root" win || fail "The 32-bit Windows build failed"
else
    # The product for the old engines is still built, so it keeps compiling where it cannot be tested.
    movalent_build_program "$root" win || fail "The 32-bit program's build failed"
fi
bash "$root/scripts/package.sh" || fail "Packaging failed"
echo "Built and packaged in $(($(date +%s) - start)) s"

ran=(native) trees=("$root/build/native") status=0
run_suite native "$root/build/native" || status=1
run_wine_suite "$root/build/win64" win64 || status=1
ran+=("64-bit Windows") trees+=("$root/build/win64")
if [ -z "$why_no_32bit" ]; then
    run_wine_suite "$root/build/win" win32 || status=1
    ran+=("32-bit Windows") trees+=("$root/build/win")
fi
setup=$root/dist/Movalent-$(movalent_version "$root")
if [ -f "$setup-x64-setup.exe" ]; then
    run_package_suite "$root" win64 "$setup-x64-setup.exe" || status=1
    ran+=("64-bit installer") trees+=("$root/build/package-win64")
else
    echo "The 64-bit installer's test was not run: this NSIS makes no 64-bit installer"
fi
if [ -z "$why_no_32bit" ]; then
    run_package_suite "$root" win "$setup-setup.exe" || status=1
    ran+=("32-bit installer") trees+=("$root/build/package-win")
fi

echo "Took $(($(date +%s) - start)) s"
list=$(printf ', %s' "${ran[@]}")
if [ -z "$why_no_32bit" ]; then
    echo "Suites run: ${list:2}"
else
    echo "Suites run: ${list:2}; 32-bit Windows suite and installer not run: $why_no_32bit"
fi
python3 "$root/scripts/count_results.py" "${trees[@]}" || status=1
exit $status
