#!/usr/bin/env bash
# Builds Movalent and starts it under Wine. With no display it runs under Xvfb, saves a screenshot of the screen
# after a few seconds, prints the screenshot's path and ends the program.
# Arguments are passed to Movalent as its command line; without any it opens a demo page in every version.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
. "$root/scripts/build.sh"
. "$root/scripts/wine-prefix.sh"
movalent_build "$root"

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo"
cp -r "$root/build/win/bin/." "$demo/"
# Real engine files are never shipped: the demo runs the stand-in engine, and opens its page in every version.
cp "$root/build/win/standin/full/"* "$demo/"
cp "$root/scripts/demo/index.html" "$demo/"
if [ $# -eq 0 ]; then
    set -- -all "Z:${demo//\//\\}\\index.html"
fi

wine_prefix_init "$root/build/win/wineprefix-run" x11

if [ -n "${DISPLAY:-}" ] && [ -z "${MOVALENT_SCREENSHOT:-}" ]; then
    exec wine "$demo/Movalent.exe" "$@"
fi

shot=$root/build/screenshot.png
export MOVALENT_DEMO=$demo MOVALENT_SHOT=$shot
rm -f "$shot"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    wine "$MOVALENT_DEMO/Movalent.exe" "$@" &
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
