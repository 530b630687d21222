# Native (Linux) build: the rules that need no Windows API, unit-tested under AddressSanitizer and UBSan.
set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
add_compile_options(-Wall -Wextra ${SANITIZE})
add_link_options(${SANITIZE})
include_directories(${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/res)

find_package(GTest REQUIRED)
add_library(movalent_gtest INTERFACE)
target_link_libraries(movalent_gtest INTERFACE GTest::gtest GTest::gtest_main)

add_library(movalent_portable STATIC ${MOVALENT_PORTABLE_SOURCES})

find_library(CAPSTONE_LIB capstone)
foreach(test ${MOVALENT_NATIVE_TESTS})
    get_filename_component(name ${test} NAME_WE)
    set(libs movalent_portable)
    if(test MATCHES "Capstone")
        if(NOT CAPSTONE_LIB)
            continue()
        endif()
        list(APPEND libs ${CAPSTONE_LIB})
    endif()
    movalent_add_gtest(unit_${name} SOURCES ${test} LIBS ${libs})
endforeach()
