#!/usr/bin/env bash
# Runs one Windows test program under Wine for ctest, with the loader of the prefix's architecture (WINEARCH).
# Wine starts its background processes (services, desktop) from whichever program comes first, and they inherit
# that program's output; were that ctest's pipe, ctest would wait for them to end. The output goes through a
# file instead.
. "$(dirname "$0")/host-arch.sh"
loader=$(wine_loader_for "${WINEARCH:-win32}")
[ "${WINEARCH:-}" = win64 ] && export WINELOADER=$loader
out=$(mktemp)
"$loader" "$@" >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
