#!/usr/bin/env bash
# Runs one Windows test program under Wine with a screen, for tests that take pictures of the program: a private
# virtual display (Xvfb) and a Wine prefix of its own whose graphics driver is X11. Wine's background processes
# belong to the display, so they end with it.
# MOVALENT_X11_PREFIX names the prefix and WINEARCH its architecture (win32 by default).
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-prefix.sh"
arch=${WINEARCH:-win32}
prefix=${MOVALENT_X11_PREFIX:-$root/build/win/wineprefix-x11}
mkdir -p "$(dirname "$prefix")"
export WINEPREFIX=$prefix
# A server left from an earlier run would keep the old display's desktop.
wineserver -k 2>/dev/null
(
    flock 9
    [ -f "$prefix/.movalent-ready" ] || wine_prefix_init "$prefix" x11 "$arch" >/dev/null 2>&1
) 9>"$prefix.lock"
WINE=$(wine_loader_for "$arch")
[ "$arch" = win64 ] && export WINELOADER=$WINE
export WINE WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" MOVALENT_SCREENSHOTS=1
# Wine's background processes end with the server here, so they cannot keep the caller's output open.
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '"$WINE" "$@"; rc=$?; wineserver -k 2>/dev/null; exit $rc' run "$@" 2>&1
