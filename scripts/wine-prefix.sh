# Sourced by the test and run commands: a private Wine prefix inside the build tree.
# wine_prefix_init DIR DRIVER [ARCH]  (DRIVER: null for headless tests, x11 for a real screen; ARCH: win32, the
# default, or win64). It exports WINE, the loader to start programs of that architecture with.
. "$(dirname "${BASH_SOURCE[0]}")/host-arch.sh"

wine_prefix_init() {
    local dir=$1 driver=$2 arch=${3:-win32}
    WINE=$(wine_loader_for "$arch")
    export WINE WINEPREFIX=$dir WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    [ "$arch" = win64 ] && export WINELOADER=$WINE
    if [ ! -f "$dir/.movalent-ready" ]; then
        rm -rf "$dir"
        mkdir -p "$(dirname "$dir")"
        echo "Creating Wine prefix $dir"
        "$WINE" wineboot -i >/dev/null 2>&1 || true
        wine_prefix_set_driver "$driver"
        # A crashing test must end, not wait in Wine's debugger. Without a Debugger value Wine still starts its
        # own; a command that does not exist starts nothing, and the crashed process ends.
        "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d none /f \
            >/dev/null 2>&1
        # The desktop process that wineboot started chose its graphics driver before the setting above existed:
        # end it with its wineserver, so the next start picks the driver afresh.
        wineserver -k 2>/dev/null
        wineserver -w
        touch "$dir/.movalent-ready"
    fi
    if [ "$driver" = x11 ]; then
        wine_prefix_set_driver x11
        # The program's start must bring up a wineserver of its own, one that sees the display it is given.
        wineserver -w
    fi
}

wine_prefix_set_driver() {
    if [ "$1" = null ]; then
        "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    else
        "$WINE" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
        # Xvfb has no window manager: Wine then draws the window frames itself.
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
}

# A warm wineserver makes every Wine start cheap; -p keeps it alive until wine_prefix_stop.
wine_prefix_start() { wineserver -p 2>/dev/null || true; }
wine_prefix_stop() { wineserver -k 2>/dev/null || true; }
