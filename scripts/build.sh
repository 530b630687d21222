# Sourced: configures and builds the trees under build/: native (Linux), win (32-bit Windows) and win64.
# Compilers run through ccache when it is there, so a second build of the same sources costs little, in this
# clone or another one: paths below the clone are hashed relative to it.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)} CCACHE_NOHASHDIR=1

movalent_configure() { # root tree [cmake arguments...]
    local root=$1 tree=$2
    shift 2
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$root" -B "$root/build/$tree" "${launcher[@]}" "$@" >/dev/null
}

movalent_build_native() { # root
    movalent_configure "$1" native -DCMAKE_BUILD_TYPE=Debug && cmake --build "$1/build/native" -j"$(nproc)"
}

# movalent_build_windows root win|win64 [target...]: the whole tree, or only the targets named.
movalent_build_windows() {
    local root=$1 tree=$2 toolchain targets=()
    shift 2
    [ "$tree" = win64 ] && toolchain=mingw-x86_64 || toolchain=mingw-i686
    for t in "$@"; do targets+=(--target "$t"); done
    movalent_configure "$root" "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" &&
        cmake --build "$root/build/$tree" -j"$(nproc)" "${targets[@]}"
}

# What the run command needs of a tree: the program, its language files and the stand-in engine folder.
movalent_build_program() { # root win|win64
    movalent_build_windows "$1" "$2" Movalent english_lang standin_folder_full
}
