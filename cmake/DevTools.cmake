# The developer-tools panel: an in-process COM server beside the program, registered per user.
add_library(MovalentDevTools SHARED ${MOVALENT_DEVTOOLS_SOURCES} ${MOVALENT_DEVTOOLS_PORTABLE_SOURCES})
set_target_properties(MovalentDevTools PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${MOVALENT_BIN})
set_property(TARGET MovalentDevTools PROPERTY INCLUDE_DIRECTORIES ${MOVALENT_LAYER_ROOT}/devtools)
# The 32-bit build decorates the exports' names (DllGetClassObject@12); COM looks them up undecorated.
target_link_options(MovalentDevTools PRIVATE -Wl,--kill-at)
target_link_libraries(MovalentDevTools PRIVATE comctl32 ole32 oleaut32 uuid shlwapi advapi32 user32 gdi32)
# The program builds with its panel, so a run has Dev Tools.
add_dependencies(Movalent MovalentDevTools)

# The source window on its own: its text, its keys and its gutter.
movalent_add_gtest(wine_SourceWindowTest
    SOURCES tests/wine/SourceWindowTest.cpp src/devtools/SourceWindow.cpp src/devtools/SourceFetch.cpp
            src/devtools/SourceText.cpp src/devtools/WindowSupport.cpp
    LIBS comctl32 ole32 uuid user32 gdi32)
# It uses the clipboard.
set_tests_properties(wine_SourceWindowTest PROPERTIES RESOURCE_LOCK user_settings)
