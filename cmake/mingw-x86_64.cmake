# Cross-compiles the 64-bit Windows program on Debian with MinGW-w64. It serves 64-bit engines and the installed
# 64-bit engine, and runs its tests under 64-bit Wine, which every host can start.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
