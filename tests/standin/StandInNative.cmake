# The stand-in's portable rules (addresses, markup, page bytes, travel log, page report) as a native unit test
# under the sanitizers. Included from the native build.
movalent_add_gtest(unit_StandInPageTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/StandInPageTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/engine/ProbeReport.cpp
            ${CMAKE_CURRENT_LIST_DIR}/engine/page/PageAddress.cpp
            ${CMAKE_CURRENT_LIST_DIR}/engine/page/PageContent.cpp
            ${CMAKE_CURRENT_LIST_DIR}/engine/page/PageReport.cpp
            ${CMAKE_CURRENT_LIST_DIR}/engine/page/PageText.cpp
            ${CMAKE_CURRENT_LIST_DIR}/engine/page/TravelLog.cpp)
target_include_directories(unit_StandInPageTest PRIVATE ${CMAKE_SOURCE_DIR}/tests)
# The document model's node tree, its styles and layout, and the little script its windows run.
target_sources(unit_StandInPageTest PRIVATE ${CMAKE_CURRENT_LIST_DIR}/StandInDomTest.cpp
               ${CMAKE_CURRENT_LIST_DIR}/engine/document/DomTree.cpp
               ${CMAKE_CURRENT_LIST_DIR}/engine/document/DomLayout.cpp
               ${CMAKE_CURRENT_LIST_DIR}/engine/document/PageScript.cpp)
