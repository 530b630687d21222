#!/usr/bin/env bash
# Builds Movalent and starts it under Wine: the 32-bit program where this host can start 32-bit programs, the
# 64-bit one otherwise (it says which). With no display it runs under Xvfb, saves a screenshot of the screen
# after a few seconds, prints the screenshot's path and ends the program.
# Arguments are passed to Movalent as its command line; without any it opens a demo page in every version.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
. "$root/scripts/build.sh"
. "$root/scripts/wine-prefix.sh"
. "$root/scripts/test-suites.sh"

why_not_32bit=$(probe_32bit_suite "$root")
if [ -z "$why_not_32bit" ]; then
    tree=win arch=win32
    echo "Starting the 32-bit program"
else
    tree=win64 arch=win64
    echo "Starting the 64-bit program: $why_not_32bit"
fi
movalent_build_program "$root" $tree

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo"
cp -r "$root/build/$tree/bin/." "$demo/"
# Real engine files are never shipped: the demo runs the stand-in engine, and opens its page in every version.
cp "$root/build/$tree/standin/full/"* "$demo/"
cp "$root/scripts/demo/index.html" "$demo/"
if [ $# -eq 0 ]; then
    set -- -all "Z:${demo//\//\\}\\index.html"
fi

wine_prefix_init "$root/build/$tree/wineprefix-run" x11 $arch
# The developer-tools panel, registered as its installer does (for the user), and machine-wide too: Wine's COM
# looks classes up only there.
"$WINE" regsvr32 /s "$demo/MovalentDevTools.dll" >/dev/null 2>&1 || echo "The developer-tools panel could not be registered" >&2
panel_key='HKCU\Software\Classes\CLSID\{947E34E9-1D85-43CB-9CBF-5C492118FDD5}'
"$WINE" reg copy "$panel_key" "${panel_key/HKCU/HKLM}" /s /f >/dev/null 2>&1 || true

if [ -n "${DISPLAY:-}" ] && [ -z "${MOVALENT_SCREENSHOT:-}" ]; then
    exec "$WINE" "$demo/Movalent.exe" "$@"
fi

shot=$root/build/screenshot.png
export MOVALENT_DEMO=$demo MOVALENT_SHOT=$shot
rm -f "$shot"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    "$WINE" "$MOVALENT_DEMO/Movalent.exe" "$@" &
    for _ in $(seq 120); do
        xwininfo -root -tree 2>/dev/null | grep -q "\"Movalent" && break
        sleep 0.5
    done
    sleep "${MOVALENT_SETTLE_SECONDS:-3}"
    # The last tab opened is the active one; for a command line that opens every version that is Default IE,
    # whose page this machine may not render. Ctrl+Tab brings the first tab (the oldest engine) to the front.
    xdotool search --name "^Movalent" windowfocus --sync key ctrl+Tab >/dev/null 2>&1 || true
    sleep 1
    import -window root "$MOVALENT_SHOT"
    wineserver -k
    wait
' movalent "$@" || true
[ -f "$shot" ] || { echo "No screenshot was taken" >&2; exit 1; }
echo "Screenshot: $shot"
