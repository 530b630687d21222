# End-to-end tests: GoogleTest programs under Wine that start the real Movalent.exe and drive it from outside.
# They share the per-user settings of the Wine prefix, so they run one at a time (and never beside the Wine tests
# that write the same settings).
add_library(movalent_e2e_harness STATIC tests/e2e/ProgramHarness.cpp tests/e2e/PageFolder.cpp
            tests/e2e/TabInspection.cpp)
target_compile_definitions(movalent_e2e_harness PUBLIC MOVALENT_TEST_BIN_DIR="Z:${MOVALENT_BIN}")
target_include_directories(movalent_e2e_harness PUBLIC ${CMAKE_SOURCE_DIR}/tests/e2e)

foreach(test ${MOVALENT_E2E_TESTS})
    get_filename_component(name ${test} NAME_WE)
    movalent_add_gtest(e2e_${name} SOURCES ${test} res/movalent.rc LIBS movalent_e2e_harness movalent_core)
    add_dependencies(e2e_${name} Movalent english_lang)
    set_tests_properties(e2e_${name} PROPERTIES RESOURCE_LOCK user_settings)
    standin_use(e2e_${name})
endforeach()

# Tab benchmark, run by hand under Wine (not a test): tab open and close times, memory per tab.
add_executable(tab_benchmark tests/e2e/TabBenchmark.cpp res/movalent.rc)
target_link_libraries(tab_benchmark PRIVATE movalent_e2e_harness movalent_core)
add_dependencies(tab_benchmark Movalent english_lang)
standin_use(tab_benchmark)
