# One static library per layer, each compiled against a folder of links to what it may use instead of src/, so a
# source that includes a layer above its own fails to build. From the bottom:
#   framework                 the application framework over Win32/COM
#   engine                    engine versions, per-thread selection, redirection (uses the framework)
#   app                       the program's services: settings, language files, messages, version check, capture
#   tabs                      tab documents, browser threads, views, containers (with the panel's interface)
#   mainframe                 main frame, ribbon, status bar, favorites
#   shell (movalent_core)     the composition root: the application object, options, start-up, capture runs
set(MOVALENT_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)
set(MOVALENT_RESOURCE_LINKS resource.h=res/resource.h framework_resource.h=res/framework_resource.h
    version.h=res/version.h)

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
movalent_layer_view(app app=src/app engine=src/engine framework=src/framework ${MOVALENT_RESOURCE_LINKS})
movalent_layer_view(tabs tabs=src/tabs devtools=src/devtools app=src/app engine=src/engine framework=src/framework
                    ${MOVALENT_RESOURCE_LINKS})
movalent_layer_view(mainframe mainframe=src/mainframe tabs=src/tabs devtools=src/devtools app=src/app
                    engine=src/engine framework=src/framework ${MOVALENT_RESOURCE_LINKS})
movalent_layer_view(shell shell=src/shell mainframe=src/mainframe tabs=src/tabs devtools=src/devtools app=src/app
                    engine=src/engine framework=src/framework ${MOVALENT_RESOURCE_LINKS})
# The developer-tools panel is a module of its own beside the program; it shares the app's language files.
movalent_layer_view(devtools devtools=src/devtools app=src/app engine=src/engine framework=src/framework
                    ${MOVALENT_RESOURCE_LINKS})

set(MOVALENT_ALL_SOURCES ${MOVALENT_PORTABLE_SOURCES} ${MOVALENT_WINDOWS_SOURCES})
# movalent_layer(<layer> <target> <libraries below>...): the layer's sources as a library that sees its view.
function(movalent_layer layer target)
    set(sources ${MOVALENT_ALL_SOURCES})
    list(FILTER sources INCLUDE REGEX "^src/${layer}/")
    add_library(${target} STATIC ${sources})
    set_property(TARGET ${target} PROPERTY INCLUDE_DIRECTORIES ${MOVALENT_LAYER_ROOT}/${layer})
    target_link_libraries(${target} PUBLIC ${ARGN} ${MOVALENT_SYSTEM_LIBS})
endfunction()

movalent_layer(framework movalent_framework)
movalent_layer(engine movalent_engine movalent_framework)
movalent_layer(app movalent_app movalent_engine movalent_framework)
movalent_layer(tabs movalent_tabs movalent_app movalent_engine movalent_framework)
movalent_layer(mainframe movalent_mainframe movalent_tabs movalent_app movalent_engine movalent_framework)
movalent_layer(shell movalent_core movalent_mainframe movalent_tabs movalent_app movalent_engine movalent_framework)

# The check that the walls hold: in each layer's view a header of its own compiles and one of the layer above
# does not.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
foreach(wall framework:framework/Picture.h:app/Settings.h app:app/Settings.h:tabs/TabHost.h
             tabs:tabs/TabHost.h:mainframe/FrameHost.h mainframe:mainframe/FrameHost.h:shell/ProgramHost.h)
    string(REPLACE ":" ";" parts ${wall})
    list(GET parts 0 layer)
    list(GET parts 1 own)
    list(GET parts 2 above)
    foreach(probe own above)
        set(source ${CMAKE_BINARY_DIR}/layering-check/${layer}-${probe}.cpp)
        unset(MOVALENT_${layer}_${probe}_COMPILES CACHE) # checked at every configure, not once
        file(WRITE ${source} "#include <winsock2.h>\n#include \"${${probe}}\"\n")
        try_compile(MOVALENT_${layer}_${probe}_COMPILES ${CMAKE_BINARY_DIR}/layering-check/${layer}-${probe}
                    SOURCES ${source}
                    CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${MOVALENT_LAYER_ROOT}/${layer}"
                    COMPILE_DEFINITIONS -DUNICODE -D_UNICODE -DNOMINMAX -std=c++20)
    endforeach()
    if(NOT MOVALENT_${layer}_own_COMPILES)
        message(FATAL_ERROR "The ${layer} layer's view does not compile its own header ${own}")
    endif()
    if(MOVALENT_${layer}_above_COMPILES)
        message(FATAL_ERROR "A ${layer} source can include ${above}: the layers are not walled off")
    endif()
endforeach()
