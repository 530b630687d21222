# Sourced by the test command: the 32-bit probe and the runs of one suite.

# Prints nothing when the 32-bit Windows suite can run here, else the reason on one line. The last word is a
# tiny 32-bit program started through Wine in a prefix of its own.
probe_32bit_suite() {
    local root=$1 dir
    if ! host_runs_32bit_linux; then
        echo "this host's kernel runs 64-bit programs only (a 32-bit program fails with \"Exec format error\"), and Wine's 32-bit loader is one"
        return
    fi
    if [ ! -x /usr/lib/wine/wine ]; then
        echo "Wine's 32-bit loader (package wine32:i386) is not installed"
        return
    fi
    dir=$root/build/probe32
    mkdir -p "$dir"
    printf 'int main(void) { return 7; }\n' >"$dir/probe.c"
    if ! i686-w64-mingw32-gcc -o "$dir/probe.exe" "$dir/probe.c" 2>/dev/null; then
        echo "the 32-bit MinGW compiler could not build a probe program"
        return
    fi
    (
        wine_prefix_init "$dir/wineprefix" null win32 >/dev/null 2>&1
        timeout 120 "$WINE" "$dir/probe.exe" >/dev/null 2>&1
        rc=$?
        wineserver -k 2>/dev/null
        [ $rc -eq 7 ]
    ) || echo "Wine could not start a 32-bit program on this host"
}

run_suite() { # name tree
    rm -rf "$2/test-reports"
    mkdir -p "$2/test-reports"
    ctest --test-dir "$2" --output-on-failure -j"$(nproc)" --timeout 600
}

run_wine_suite() { # tree win32|win64
    local status
    (
        wine_prefix_init "$1/wineprefix" null "$2"
        wine_prefix_start
        run_suite "$2" "$1"
        status=$?
        wine_prefix_stop
        exit $status
    )
}

# The installer's test of one architecture, after the other suites: a tree of its own (build/package-win or
# build/package-win64, from tests/package) whose one test installs, upgrades and uninstalls the installer that
# scripts/package.sh left in dist/, in a Wine prefix it makes afresh.
run_package_suite() { # root win|win64 installer
    local tree=$1/build/package-$2 toolchain=mingw-i686
    [ "$2" = win64 ] && toolchain=mingw-x86_64
    cmake -S "$1/tests/package" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$1/cmake/$toolchain.cmake" \
        -DMOVALENT_INSTALLER="$3" >/dev/null &&
        cmake --build "$tree" &&
        run_suite "package-$2" "$tree"
}
