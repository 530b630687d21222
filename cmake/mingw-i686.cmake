# Cross-compiles the 32-bit Windows program on Debian with MinGW-w64: the product for the old engines, which are
# 32-bit code. Tests run under Wine through the crosscompiling emulator.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine CACHE STRING "")
