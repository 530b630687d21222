# Sourced: configures and builds the native and the Windows trees under build/.
movalent_build() {
    local root=$1 jobs
    jobs=$(nproc)
    cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
        cmake --build "$root/build/native" -j"$jobs" &&
        cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null &&
        cmake --build "$root/build/win" -j"$jobs"
}
