# The stand-in engine: one DLL built from tests/standin/engine and copied under the engine file names, so that
# program folders with any mix of engine files can be laid out for the loader's tests. Real engine files are
# never needed. Its browser copies serve a WebBrowser control and its mshtml copies the documents it shows
# (standin/StandInBrowser.h); the rules that need no Windows API are unit-tested natively too, by
# StandInNative.cmake, which the native build includes.
#
#   standin_engine                  the DLL (build output standin/builds/standin_engine.dll)
#   standin_engine_no_class_object  the same without the DllGetClassObject export
#   standin_engine_folder(<dir> [VERSIONS <letter>...] [REQUIRED_ONLY] [OMIT <file>...]
#                         [BROWSER_WITHOUT_EXPORT <letter>...] [EXTRA <file>...])
#       lays out <dir> at build time with exactly these files: for every version letter (default
#       5 6 7 8; an empty VERSIONS gives none) its engine files, IE 6 without the four DirectX modules, and
#       for 5 and 6 also 5hdoclc.dll / 6hdoclc.dll; REQUIRED_ONLY keeps only the five required modules per
#       version; OMIT drops names; EXTRA adds names (the DLL copied under them as given). The browser module
#       of a version named in BROWSER_WITHOUT_EXPORT is the variant without DllGetClassObject. Adds a target
#       to standin_folders and the folder to STANDIN_ENGINE_FOLDERS.
#   wine_StandInPageTest            the portable page rules (StandInPageTest.cpp), run under Wine
#   wine_StandInObjectModelTest     the documents' object model through the engine's interfaces, under Wine
#   standin_use(<target>)           gives a test the include path for "standin/StandInInterfaces.h", the
#                                   folders (built first) and the definition MOVALENT_STANDIN_ROOT, the Wine
#                                   path of ${STANDIN_ENGINE_ROOT}

set(STANDIN_ENGINE_ROOT ${CMAKE_BINARY_DIR}/standin)
set(STANDIN_ENGINE_BUILDS ${STANDIN_ENGINE_ROOT}/builds)
set(STANDIN_ENGINE_FOLDERS "")

# Sources that need no Windows API (also unit-tested natively: StandInNative.cmake).
set(STANDIN_PAGE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/engine/ProbeReport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/page/PageAddress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/document/DomLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/document/DomTree.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/document/PageScript.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/page/PageContent.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/page/PageReport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/page/PageText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/page/TravelLog.cpp
)

set(STANDIN_ENGINE_SOURCES
    ${STANDIN_PAGE_SOURCES}
    ${CMAKE_CURRENT_LIST_DIR}/engine/ClassFactory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/ComProbes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/Exports.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/ModuleIdentity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/ModuleProbes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/Probes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/RegistryProbes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/ServedObjects.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/StandInObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/ThisModule.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/ThreadProbe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/BrowserAutomation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/BrowserCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/BrowserControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/BrowserDirectives.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/BrowserEmbedding.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/BrowserEvents.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/BrowserHost.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/BrowserNavigation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/BrowserProperties.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/BrowserWindows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/ConnectionPoints.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/DispatchArguments.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/EngineProbes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/FrameBrowser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/PageLoader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/browser/PageView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/document/StandInDocument.cpp
    ${CMAKE_CURRENT_LIST_DIR}/engine/document/HtmlDom.cpp
)

# Everything but the exports is compiled once and shared by both variants.
list(REMOVE_ITEM STANDIN_ENGINE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/engine/Exports.cpp)
add_library(standin_engine_objects OBJECT ${STANDIN_ENGINE_SOURCES})
target_include_directories(standin_engine_objects PRIVATE ${CMAKE_SOURCE_DIR}/tests)

function(standin_engine_library name)
    add_library(${name} SHARED ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/engine/Exports.cpp
                $<TARGET_OBJECTS:standin_engine_objects>)
    set_target_properties(${name} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${STANDIN_ENGINE_BUILDS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    # The exports are __stdcall; the system looks them up by their plain names. Stripped, because the folders
    # hold well over a hundred copies and the debug information would make each several times larger.
    target_link_options(${name} PRIVATE -Wl,--kill-at -s)
    target_link_libraries(${name} PRIVATE ole32 oleaut32 uuid advapi32 user32 gdi32)
endfunction()

standin_engine_library(standin_engine)
standin_engine_library(standin_engine_no_class_object)
target_compile_definitions(standin_engine_no_class_object PRIVATE STANDIN_WITHOUT_CLASS_OBJECT)

add_custom_target(standin_folders ALL)

function(standin_engine_folder dir)
    cmake_parse_arguments(F "REQUIRED_ONLY" "" "VERSIONS;OMIT;BROWSER_WITHOUT_EXPORT;EXTRA" ${ARGN})
    if(NOT DEFINED F_VERSIONS AND NOT "VERSIONS" IN_LIST F_KEYWORDS_MISSING_VALUES)
        set(F_VERSIONS 5 6 7 8)
    endif()
    cmake_path(IS_PREFIX STANDIN_ENGINE_ROOT "${dir}" NORMALIZE inside)
    cmake_path(IS_PREFIX dir "${STANDIN_ENGINE_BUILDS}" NORMALIZE holdsBuilds)
    if(NOT inside OR holdsBuilds)
        message(FATAL_ERROR
            "standin_engine_folder: ${dir} is emptied, so it must lie below ${STANDIN_ENGINE_ROOT}, "
            "away from the builds")
    endif()

    set(names "")
    set(browsers "")
    foreach(v ${F_VERSIONS})
        if(NOT v MATCHES "^[5-8]$")
            message(FATAL_ERROR "standin_engine_folder: unknown version letter '${v}'")
        endif()
        if(v GREATER_EQUAL 7)
            set(browser ${v}eframe.dll)
        else()
            set(browser ${v}hdocvw.dll)
        endif()
        list(APPEND browsers ${browser})
        list(APPEND names ${browser} ${v}shtml.dll ${v}script.dll ${v}rlmon.dll ${v}ininet.dll)
        if(NOT F_REQUIRED_ONLY)
            list(APPEND names ${v}shtmled.dll ${v}bscript.dll)
            if(NOT v EQUAL 6)
                list(APPEND names ${v}xtmsft.dll ${v}xtrans.dll ${v}mgutil.dll ${v}ngfilt.dll)
            endif()
            if(v LESS_EQUAL 6)
                list(APPEND names ${v}hdoclc.dll)
            endif()
        endif()
    endforeach()
    if(F_OMIT)
        list(REMOVE_ITEM names ${F_OMIT})
    endif()
    list(APPEND names ${F_EXTRA})
    list(REMOVE_DUPLICATES names)

    set(damaged "")
    foreach(v ${F_BROWSER_WITHOUT_EXPORT})
        foreach(b ${v}eframe.dll ${v}hdocvw.dll)
            list(APPEND damaged ${b})
        endforeach()
    endforeach()

    # Real copies, never links: Wine takes two names of one file (same inode) for one module and would hand
    # the first copy loaded back for every other name.
    set(copies "")
    foreach(name ${names})
        if(name IN_LIST damaged)
            set(source $<TARGET_FILE:standin_engine_no_class_object>)
        else()
            set(source $<TARGET_FILE:standin_engine>)
        endif()
        list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy ${source} ${dir}/${name})
    endforeach()

    get_filename_component(label ${dir} NAME)
    set(stamp ${STANDIN_ENGINE_BUILDS}/${label}.stamp)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${dir}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        ${copies}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS standin_engine standin_engine_no_class_object ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
        COMMENT "Laying out the stand-in engine folder ${label}"
        VERBATIM)
    add_custom_target(standin_folder_${label} DEPENDS ${stamp})
    add_dependencies(standin_folders standin_folder_${label})
    set(STANDIN_ENGINE_FOLDERS ${STANDIN_ENGINE_FOLDERS} ${dir} PARENT_SCOPE)
endfunction()

standin_engine_folder(${STANDIN_ENGINE_ROOT}/full)
standin_engine_folder(${STANDIN_ENGINE_ROOT}/none VERSIONS)
standin_engine_folder(${STANDIN_ENGINE_ROOT}/missing-5rlmon OMIT 5rlmon.dll)
standin_engine_folder(${STANDIN_ENGINE_ROOT}/no-optional REQUIRED_ONLY)
standin_engine_folder(${STANDIN_ENGINE_ROOT}/browser-no-export-7 BROWSER_WITHOUT_EXPORT 7)
standin_engine_folder(${STANDIN_ENGINE_ROOT}/with-6dx
    VERSIONS 6 EXTRA 6xtmsft.dll 6xtrans.dll 6mgutil.dll 6ngfilt.dll)

# Engine files as a Windows system folder or an extracted installer holds them: the stand-in under the standard
# names, built with each engine version's file version. Adding engine files is tested with these folders.
foreach(version 5_50 6_0 7_0 8_0)
    string(REPLACE "_" ";" parts ${version})
    list(GET parts 0 major)
    list(GET parts 1 minor)
    standin_engine_library(standin_engine_v${version})
    target_sources(standin_engine_v${version} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/engine/FileVersion.rc)
    target_compile_definitions(standin_engine_v${version} PRIVATE STANDIN_MAJOR=${major} STANDIN_MINOR=${minor})
endforeach()

# A folder of the given files, each "name=version" (the build standin_engine_v<version>).
function(standin_import_folder label)
    set(dir ${STANDIN_ENGINE_ROOT}/import-${label})
    set(copies "")
    set(builds "")
    foreach(pair ${ARGN})
        string(REPLACE "=" ";" parts ${pair})
        list(GET parts 0 name)
        list(GET parts 1 version)
        list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:standin_engine_v${version}> ${dir}/${name})
        list(APPEND builds standin_engine_v${version})
    endforeach()
    list(REMOVE_DUPLICATES builds)
    set(stamp ${STANDIN_ENGINE_BUILDS}/import-${label}.stamp)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${dir}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        ${copies}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${builds} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
        COMMENT "Laying out the engine import folder ${label}"
        VERBATIM)
    add_custom_target(standin_folder_import_${label} DEPENDS ${stamp})
    add_dependencies(standin_folders standin_folder_import_${label})
endfunction()

set(STANDIN_IE6_FILES shdocvw.dll=6_0 mshtml.dll=6_0 jscript.dll=6_0 urlmon.dll=6_0 wininet.dll=6_0 vbscript.dll=6_0)
standin_import_folder(ie6 ${STANDIN_IE6_FILES})
standin_import_folder(ie7 ieframe.dll=7_0 mshtml.dll=7_0 jscript.dll=7_0 urlmon.dll=7_0 wininet.dll=7_0
    mshtmled.dll=7_0 vbscript.dll=7_0 dxtmsft.dll=7_0 dxtrans.dll=7_0 imgutil.dll=7_0 pngfilt.dll=7_0)
standin_import_folder(mixed shdocvw.dll=6_0 mshtml.dll=6_0 jscript.dll=6_0 urlmon.dll=7_0 wininet.dll=6_0)
standin_import_folder(incomplete shdocvw.dll=6_0 mshtml.dll=6_0 jscript.dll=6_0 urlmon.dll=6_0)
standin_import_folder(ie55 shdocvw.dll=5_50 mshtml.dll=5_50 jscript.dll=5_50 urlmon.dll=5_50 wininet.dll=5_50)

function(standin_use target)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_definitions(${target} PRIVATE
        MOVALENT_STANDIN_ROOT="${MOVALENT_REPORT_DRIVE}${STANDIN_ENGINE_ROOT}")
    add_dependencies(${target} standin_folders)
endfunction()

if(TARGET wine_StandInEngineTest)
    standin_use(wine_StandInEngineTest)
    # The name rules are tested directly as well as through the copies.
    target_sources(wine_StandInEngineTest PRIVATE ${CMAKE_CURRENT_LIST_DIR}/engine/ModuleIdentity.cpp)
endif()
if(TARGET wine_StandInBrowserTest)
    standin_use(wine_StandInBrowserTest)
    target_sources(wine_StandInBrowserTest PRIVATE ${CMAKE_SOURCE_DIR}/tests/wine/StandInBrowserHost.cpp)
endif()
if(TARGET wine_ZoomTest)
    standin_use(wine_ZoomTest)
endif()

# The page rules once more under Wine: there wchar_t is 16 bits wide, so surrogate pairs are real.
movalent_add_gtest(wine_StandInPageTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/StandInPageTest.cpp ${STANDIN_PAGE_SOURCES})
target_sources(wine_StandInPageTest PRIVATE ${CMAKE_CURRENT_LIST_DIR}/StandInDomTest.cpp)
target_include_directories(wine_StandInPageTest PRIVATE ${CMAKE_SOURCE_DIR}/tests)

# The document object model through the engine's interfaces, with a hosted control for clicks and frames.
movalent_add_gtest(wine_StandInObjectModelTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/StandInObjectModelTest.cpp
                   ${CMAKE_SOURCE_DIR}/tests/wine/StandInBrowserHost.cpp)
target_link_libraries(wine_StandInObjectModelTest PRIVATE ole32 oleaut32 uuid user32)
standin_use(wine_StandInObjectModelTest)

# The stand-in developer-tools panel (standin/panel/StandInPanel.cpp), in three releases: the current one, one
# too old to offer the panel interface, and one whose Init fails. Build output standin/builds/<name>.dll; a
# test registers the one it wants for the current user.
foreach(variant standin_panel standin_panel_too_old standin_panel_init_fails)
    add_library(${variant} SHARED ${CMAKE_CURRENT_LIST_DIR}/panel/StandInPanel.cpp)
    set_target_properties(${variant} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${STANDIN_ENGINE_BUILDS})
    target_link_options(${variant} PRIVATE -Wl,--kill-at -s)
    target_link_libraries(${variant} PRIVATE ole32 oleaut32 uuid user32)
    add_dependencies(standin_folders ${variant})
endforeach()
target_compile_definitions(standin_panel_too_old PRIVATE STANDIN_PANEL_TOO_OLD)
target_compile_definitions(standin_panel_init_fails PRIVATE STANDIN_PANEL_INIT_FAILS)
