# Sourced: what this host can run. Some kernels run 64-bit user code only; there Wine's 32-bit loader, itself a
# 32-bit Linux program, fails with "Exec format error" and no 32-bit Windows program can start.

# True when the kernel executes a 32-bit x86 Linux program: a 84-byte one that only exits with status 7.
host_runs_32bit_linux() {
    local probe rc
    probe=$(mktemp)
    # ELF header, one loadable segment, then: mov eax,1; mov ebx,7; int 0x80
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\273\007\000\000\000\315\200' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    rc=$?
    rm -f "$probe"
    [ $rc -eq 7 ]
}

# The Wine loader for an architecture (win32 or win64). Debian's "wine" picks the 32-bit loader whenever it is
# installed, so 64-bit programs are started through the 64-bit loader by name.
wine_loader_for() {
    if [ "$1" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
        echo /usr/lib/wine/wine64
    else
        echo wine
    fi
}
