# Every test program is a GoogleTest executable that ctest runs once, writing a JUnit-style XML report that the
# test command adds up into the closing "N passed, N failed" line.
set(MOVALENT_TEST_REPORTS ${CMAKE_BINARY_DIR}/test-reports)
file(MAKE_DIRECTORY ${MOVALENT_TEST_REPORTS})

function(movalent_add_gtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} movalent_gtest)
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${MOVALENT_REPORT_DRIVE}${MOVALENT_TEST_REPORTS}/${name}.xml)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${MOVALENT_TEST_ENVIRONMENT};${T_ENVIRONMENT}")
endfunction()
