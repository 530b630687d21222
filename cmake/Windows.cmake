# Windows build (MinGW-w64, 32-bit or 64-bit by the toolchain file): the program, its Wine-run tests and the
# stand-in components.
enable_language(RC)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MOVALENT_WINEARCH win64)
else()
    set(MOVALENT_WINEARCH win32)
endif()
# Test programs run under Wine through a wrapper that keeps Wine's background processes off ctest's pipes.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res")
add_compile_definitions(UNICODE _UNICODE WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800 NOMINMAX)
# The questions the end-to-end tests ask the running program (framework/QueryMessages.h). A build for users
# leaves them out.
option(MOVALENT_TEST_HOOKS "Answer the tests' questions about what the windows show" ON)
if(MOVALENT_TEST_HOOKS)
    add_compile_definitions(MOVALENT_TEST_HOOKS)
endif()
add_compile_options(-Wall -Wextra)
add_link_options(-static -static-libgcc -static-libstdc++)
include_directories(${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/res)

# Wine maps the Linux root to drive Z:, and the test programs take only a drive path as absolute.
set(MOVALENT_REPORT_DRIVE "Z:")
set(MOVALENT_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Private Wine prefix the tests run in")
set(MOVALENT_TEST_ENVIRONMENT
    "WINEPREFIX=${MOVALENT_WINEPREFIX};WINEARCH=${MOVALENT_WINEARCH};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")

# GoogleTest cross-built from Debian's sources.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_library(movalent_gtest INTERFACE)
target_link_libraries(movalent_gtest INTERFACE gtest gtest_main)

# <windows.h> (through <winsock2.h>, which must come first) ahead of every source of ours, so no macro of it can
# appear after the names that shadow it.
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include winsock2.h>")

set(MOVALENT_SYSTEM_LIBS comctl32 usp10 ole32 oleaut32 uuid oleacc wininet version shlwapi shell32 advapi32 user32 gdi32 ws2_32 ntdll
    windowscodecs)

include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

set(MOVALENT_BIN ${CMAKE_BINARY_DIR}/bin)
add_executable(Movalent WIN32 ${MOVALENT_MAIN_SOURCES} res/movalent.rc)
target_link_options(Movalent PRIVATE -municode)
target_link_libraries(Movalent PRIVATE movalent_core)
set_target_properties(Movalent PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MOVALENT_BIN})

# The English language file is generated from the string table, so the two never drift apart.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ENGLISH_LANG ${MOVALENT_BIN}/Languages/ENGLISH.lang)
add_custom_command(OUTPUT ${ENGLISH_LANG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${MOVALENT_BIN}/Languages
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/make_lang.py
            ${CMAKE_SOURCE_DIR}/res/strings.rc ${CMAKE_SOURCE_DIR}/res/resource.h ${ENGLISH_LANG}
    DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_lang.py ${CMAKE_SOURCE_DIR}/res/strings.rc ${CMAKE_SOURCE_DIR}/res/resource.h
            ${CMAKE_SOURCE_DIR}/res/framework_resource.h
    COMMENT "Generating Languages/ENGLISH.lang")
# The translations are kept as UTF-8 string tables in res/lang and turned into language files the same way.
set(MOVALENT_LANGUAGE_FILES ${ENGLISH_LANG})
foreach(language FRENCH GERMAN SPANISH)
    string(TOLOWER ${language} source)
    set(output ${MOVALENT_BIN}/Languages/${language}.lang)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${MOVALENT_BIN}/Languages
        COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/make_lang.py
                ${CMAKE_SOURCE_DIR}/res/lang/${source}.txt ${CMAKE_SOURCE_DIR}/res/resource.h ${output}
        DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_lang.py ${CMAKE_SOURCE_DIR}/res/lang/${source}.txt
                ${CMAKE_SOURCE_DIR}/res/resource.h ${CMAKE_SOURCE_DIR}/res/framework_resource.h
        COMMENT "Generating Languages/${language}.lang")
    list(APPEND MOVALENT_LANGUAGE_FILES ${output})
endforeach()
add_custom_target(english_lang ALL DEPENDS ${MOVALENT_LANGUAGE_FILES})

# Tests that need the Windows API run under Wine; they see the program folder through MOVALENT_BIN. Each links the
# layer it tests and compiles against that layer's view, as the layer's own sources do: a test of the engine can
# reach neither the tabs nor the application object. A test not named here tests the whole program (the shell).
set(MOVALENT_WINE_TEST_LAYERS
    PngFileTest=framework StandInBrowserTest=framework StandInEngineTest=framework
    EngineLoaderTest=engine EngineRedirectionTest=engine EngineStressTest=engine HookRegionTest=engine
    HookResolveTest=engine HookSystemTest=engine HookTest=engine
    FrameworkDocumentTest=app FrameworkWindowsTest=app InstalledEngineTest=app LanguageResourcesTest=app
    RegistrySettingsTest=app TranslationsTest=app VersionCheckTest=app
    ControlSiteTest=tabs ZoomTest=tabs
    FavoritesMenuTest=mainframe OpenAllDialogTest=mainframe StatusBarTest=mainframe)
foreach(test ${MOVALENT_WINE_TESTS})
    get_filename_component(name ${test} NAME_WE)
    set(layer shell)
    foreach(entry ${MOVALENT_WINE_TEST_LAYERS})
        if(entry MATCHES "^${name}=(.+)$")
            set(layer ${CMAKE_MATCH_1})
        endif()
    endforeach()
    set(library movalent_${layer})
    if(layer STREQUAL "shell")
        set(library movalent_core)
    endif()
    movalent_add_gtest(wine_${name} SOURCES ${test} res/movalent.rc LIBS ${library})
    set_property(TARGET wine_${name} PROPERTY INCLUDE_DIRECTORIES ${MOVALENT_LAYER_ROOT}/${layer})
    target_compile_definitions(wine_${name} PRIVATE MOVALENT_TEST_BIN_DIR="Z:${MOVALENT_BIN}")
    add_dependencies(wine_${name} english_lang)
endforeach()
# Tests that change the settings or the machine values the program reads, or use the clipboard, run one at a time
# with the end-to-end tests.
set_tests_properties(wine_RegistrySettingsTest wine_InstalledEngineTest wine_MovalentAppTest wine_FrameworkWindowsTest
    wine_OpenAllDialogTest PROPERTIES RESOURCE_LOCK user_settings)

# Interception benchmark, run by hand under Wine (not a test): call rates and attach/detach times.
add_executable(hook_benchmark tests/wine/HookBenchmark.cpp)
target_link_libraries(hook_benchmark PRIVATE movalent_core)

include(cmake/DevTools.cmake)
include(tests/standin/StandIn.cmake)
include(cmake/EndToEnd.cmake)

# Engine loader benchmark, run by hand under Wine (not a test): thread lookups, redirection overhead, install
# time with the stand-in engine. The loader's Wine tests need the stand-in engine folders too.
add_executable(engine_benchmark tests/wine/EngineBenchmark.cpp)
target_link_libraries(engine_benchmark PRIVATE movalent_core)
standin_use(engine_benchmark)
foreach(name EngineLoaderTest EngineRedirectionTest EngineStressTest)
    standin_use(wine_${name})
endforeach()
