#!/usr/bin/env bash
# Builds what a user downloads, into dist/: for each architecture the program and its panel in an optimised build
# without the tests' hooks (-O2, stripped), then a Windows installer (NSIS) and a portable zip:
#   Movalent-<version>-setup.exe, Movalent-<version>-portable.zip          the 32-bit program, the main product
#   Movalent-<version>-x64-setup.exe, Movalent-<version>-x64-portable.zip  the 64-bit program, where the NSIS
#                                                                          package has a 64-bit installer stub
# The version comes from res/version.h. The release trees are build/release-win and build/release-win64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
. "$root/scripts/build.sh"
. "$root/scripts/version.sh"

version=$(movalent_version "$root") || { echo "No version in res/version.h" >&2; exit 1; }
dist=$root/dist
mkdir -p "$dist"
# Nothing built is ever committed.
echo '*' >"$dist/.gitignore"

# Where makensis keeps its stubs: one per target architecture and compressor.
nsis_dir=$(makensis -HDRINFO 2>/dev/null | tr ',' '\n' | sed -n 's/^NSISDIR=//p')
nsis_dir=${nsis_dir:-/usr/share/nsis}

# build_release tree toolchain: the program, the panel and the language files, nothing else.
build_release() {
    movalent_configure "$root" "$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DMOVALENT_TEST_HOOKS=OFF \
        -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s -DCMAKE_SHARED_LINKER_FLAGS_RELEASE=-s &&
        cmake --build "$root/build/$1" -j"$(nproc)" --target Movalent MovalentDevTools english_lang
}

# package tree x86|x64 suffix: the installer and the zip of one architecture.
package() {
    local tree=$1 arch=$2 suffix=$3 bin=$root/build/$1/bin stage=$root/build/$1/package
    local setup=$dist/Movalent-$version$suffix-setup.exe zip=$dist/Movalent-$version$suffix-portable.zip
    echo "Packaging the $arch program ($tree)"
    rm -rf "$stage"
    mkdir -p "$stage"
    # The language files the installer puts in and its uninstaller takes out again: those of this build only.
    local languages=()
    for f in "$bin"/Languages/*.lang; do languages+=("$(basename "$f")"); done
    [ ${#languages[@]} -gt 0 ] || { echo "No language files in $bin/Languages" >&2; return 1; }
    {
        echo '!macro MOVALENT_INSTALL_LANGUAGE_FILES'
        for f in "${languages[@]}"; do echo "  File \"$bin/Languages/$f\""; done
        echo '!macroend'
        echo '!macro MOVALENT_REMOVE_LANGUAGE_FILES'
        for f in "${languages[@]}"; do echo "  Delete \"\$INSTDIR\\Languages\\$f\""; done
        echo '!macroend'
    } >"$stage/languages.nsh"
    makensis -V2 -NOCD -INPUTCHARSET UTF8 -DVERSION="$version" -DARCH="$arch" -DBINDIR="$bin" -DROOT="$root" \
        -DLANGUAGE_FILES="$stage/languages.nsh" -DOUTFILE="$setup" "$root/installer/Movalent.nsi"
    # The portable copy: the same files in one folder, to unpack anywhere.
    mkdir -p "$stage/Movalent/Languages"
    cp "$bin/Movalent.exe" "$bin/MovalentDevTools.dll" "$stage/Movalent/"
    for f in "${languages[@]}"; do cp "$bin/Languages/$f" "$stage/Movalent/Languages/"; done
    rm -f "$zip"
    (cd "$stage" && zip -q -X -r "$zip" Movalent)
    echo "  $setup"
    echo "  $zip"
}

start=$(date +%s)
build_release release-win mingw-i686
package release-win x86 ""
if [ -f "$nsis_dir/Stubs/lzma_solid-amd64-unicode" ]; then
    build_release release-win64 mingw-x86_64
    package release-win64 x64 -x64
else
    echo "No 64-bit installer: this NSIS has no amd64-unicode stub ($nsis_dir/Stubs)"
fi
echo "Packaged Movalent $version in $(($(date +%s) - start)) s"

# --test: then the installers' test (tests/package) for those this host can start, the 64-bit one under 64-bit
# Wine and the 32-bit one where the host starts 32-bit programs.
if [ "${1:-}" = --test ]; then
    . "$root/scripts/host-arch.sh"
    . "$root/scripts/wine-prefix.sh"
    . "$root/scripts/test-suites.sh"
    status=0
    if [ -f "$dist/Movalent-$version-x64-setup.exe" ]; then
        run_package_suite "$root" win64 "$dist/Movalent-$version-x64-setup.exe" || status=1
    fi
    if [ -z "$(probe_32bit_suite "$root")" ]; then
        run_package_suite "$root" win "$dist/Movalent-$version-setup.exe" || status=1
    else
        echo "The 32-bit installer's test was not run: this host cannot start 32-bit programs"
    fi
    exit $status
fi
