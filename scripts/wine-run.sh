#!/usr/bin/env bash
# Runs one Windows test program under Wine for ctest. Wine starts its background processes (services, desktop)
# from whichever program comes first, and they inherit that program's output; were that ctest's pipe, ctest
# would wait for them to end. The output goes through a file instead.
out=$(mktemp)
wine "$@" >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
