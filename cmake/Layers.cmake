# The engine and the framework are libraries of their own that see only what they may use: each compiles against a
# folder of links to the parts below it instead of src/, so a source of theirs that includes the application, the
# tabs or the main frame fails to build. Everything above them is movalent_core.
set(MOVALENT_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)

# movalent_layer_view(<layer> <link>=<path below the source root>...): the folder the layer's sources see.
function(movalent_layer_view layer)
    set(view ${MOVALENT_LAYER_ROOT}/${layer})
    file(REMOVE_RECURSE ${view})
    file(MAKE_DIRECTORY ${view})
    foreach(entry ${ARGN})
        string(REPLACE "=" ";" parts ${entry})
        list(GET parts 0 name)
        list(GET parts 1 path)
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${view}/${name} SYMBOLIC)
    endforeach()
endfunction()

movalent_layer_view(framework framework=src/framework framework_resource.h=res/framework_resource.h)
movalent_layer_view(engine engine=src/engine framework=src/framework)

set(MOVALENT_ALL_SOURCES ${MOVALENT_PORTABLE_SOURCES} ${MOVALENT_WINDOWS_SOURCES})
set(MOVALENT_ENGINE_SOURCES ${MOVALENT_ALL_SOURCES})
list(FILTER MOVALENT_ENGINE_SOURCES INCLUDE REGEX "^src/engine/")
set(MOVALENT_FRAMEWORK_SOURCES ${MOVALENT_ALL_SOURCES})
list(FILTER MOVALENT_FRAMEWORK_SOURCES INCLUDE REGEX "^src/framework/")
set(MOVALENT_UPPER_SOURCES ${MOVALENT_ALL_SOURCES})
list(FILTER MOVALENT_UPPER_SOURCES EXCLUDE REGEX "^src/(engine|framework)/")

add_library(movalent_framework STATIC ${MOVALENT_FRAMEWORK_SOURCES})
set_property(TARGET movalent_framework PROPERTY INCLUDE_DIRECTORIES ${MOVALENT_LAYER_ROOT}/framework)
target_link_libraries(movalent_framework PUBLIC ${MOVALENT_SYSTEM_LIBS})
add_library(movalent_engine STATIC ${MOVALENT_ENGINE_SOURCES})
set_property(TARGET movalent_engine PROPERTY INCLUDE_DIRECTORIES ${MOVALENT_LAYER_ROOT}/engine)
target_link_libraries(movalent_engine PUBLIC movalent_framework ${MOVALENT_SYSTEM_LIBS})
add_library(movalent_core STATIC ${MOVALENT_UPPER_SOURCES})
target_link_libraries(movalent_core PUBLIC movalent_engine movalent_framework ${MOVALENT_SYSTEM_LIBS})

# The check that the walls hold: in the framework's view its own header compiles and the application's does not.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
foreach(probe OwnInclude UpwardInclude)
    try_compile(MOVALENT_${probe}_COMPILES ${CMAKE_BINARY_DIR}/layering-check/${probe}
                SOURCES ${CMAKE_SOURCE_DIR}/cmake/layering/${probe}.cpp
                CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${MOVALENT_LAYER_ROOT}/framework")
endforeach()
if(NOT MOVALENT_OwnInclude_COMPILES)
    message(FATAL_ERROR "The framework's view of the sources does not compile its own header")
endif()
if(MOVALENT_UpwardInclude_COMPILES)
    message(FATAL_ERROR "A framework source can include the application: the layers are not walled off")
endif()
