# End-to-end tests: GoogleTest programs under Wine that start the real Movalent.exe and drive it from outside.
# They share the per-user settings of the Wine prefix, so they run one at a time (and never beside the Wine tests
# that write the same settings).
add_library(movalent_e2e_harness STATIC tests/e2e/ProgramHarness.cpp tests/e2e/PageFolder.cpp
            tests/e2e/TabInspection.cpp tests/e2e/Screenshot.cpp tests/e2e/RibbonInspection.cpp
            tests/e2e/PanelInspection.cpp)
target_compile_definitions(movalent_e2e_harness PUBLIC MOVALENT_TEST_BIN_DIR="Z:${MOVALENT_BIN}")
target_include_directories(movalent_e2e_harness PUBLIC ${CMAKE_SOURCE_DIR}/tests/e2e)

foreach(test ${MOVALENT_E2E_TESTS})
    get_filename_component(name ${test} NAME_WE)
    movalent_add_gtest(e2e_${name} SOURCES ${test} res/movalent.rc LIBS movalent_e2e_harness movalent_core)
    add_dependencies(e2e_${name} Movalent english_lang)
    # They type and click into the program's windows: a window another test opens meanwhile on the same desktop
    # would take the keyboard, so nothing runs beside them.
    set_tests_properties(e2e_${name} PROPERTIES RESOURCE_LOCK user_settings RUN_SERIAL TRUE)
    standin_use(e2e_${name})
endforeach()

# End-to-end tests that take pictures of the program run with a virtual screen of their own (they save their
# pictures in the build folder's "screenshots").
foreach(test ${MOVALENT_SCREENSHOT_TESTS})
    get_filename_component(name ${test} NAME_WE)
    add_executable(e2e_${name} ${test} res/movalent.rc)
    target_link_libraries(e2e_${name} PRIVATE movalent_e2e_harness movalent_core movalent_gtest)
    set_target_properties(e2e_${name} PROPERTIES CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run-x11.sh)
    add_test(NAME e2e_${name}
             COMMAND e2e_${name} --gtest_output=xml:${MOVALENT_REPORT_DRIVE}${MOVALENT_TEST_REPORTS}/e2e_${name}.xml)
    set_tests_properties(e2e_${name} PROPERTIES ENVIRONMENT
        "MOVALENT_X11_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-x11;WINEARCH=${MOVALENT_WINEARCH}")
    add_dependencies(e2e_${name} Movalent english_lang)
    standin_use(e2e_${name})
endforeach()

# Tab benchmark, run by hand under Wine (not a test): tab open and close times, memory per tab.
add_executable(tab_benchmark tests/e2e/TabBenchmark.cpp res/movalent.rc)
target_link_libraries(tab_benchmark PRIVATE movalent_e2e_harness movalent_core)
add_dependencies(tab_benchmark Movalent english_lang)
standin_use(tab_benchmark)

# Developer-tools benchmark, run by hand under Wine (not a test): the tree of a 20,000-element page.
add_executable(devtools_benchmark tests/e2e/DevToolsBenchmark.cpp res/movalent.rc)
target_link_libraries(devtools_benchmark PRIVATE movalent_e2e_harness movalent_core)
add_dependencies(devtools_benchmark Movalent english_lang)
standin_use(devtools_benchmark)

# Capture benchmark, run by hand under Wine (not a test): one capture of every version against one per version.
add_executable(capture_benchmark tests/e2e/CaptureBenchmark.cpp res/movalent.rc)
target_link_libraries(capture_benchmark PRIVATE movalent_e2e_harness movalent_core)
add_dependencies(capture_benchmark Movalent english_lang)
standin_use(capture_benchmark)
