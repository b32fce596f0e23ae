# The reader window: Qt 6 Widgets on top of vesk_core. Only this file and
# tests/gui link Qt; the core stays free of it.
find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport)
find_package(Qt6 COMPONENTS Test)

# Three libraries, each using only those below it:
#   vesk_ui     shared pieces: fixed texts, pictures, the message box
#   vesk_pane   the search pane (src/pane); it asks for pages by signal
#   vesk_gui    the reader window (src/window), which builds the pane, and
#               its reading aids (src/reading)
# tests/layers_check.cmake keeps the includes to this order.
file(GLOB VESK_UI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.h)
add_library(vesk_ui STATIC ${VESK_UI_SOURCES} ${PROJECT_SOURCE_DIR}/resources/vesk.qrc)
set_target_properties(vesk_ui PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(vesk_ui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vesk_ui PUBLIC vesk_core Qt6::Widgets)

file(GLOB VESK_PANE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/pane/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/pane/*.h)
add_library(vesk_pane STATIC ${VESK_PANE_SOURCES})
set_target_properties(vesk_pane PROPERTIES AUTOMOC ON)
target_link_libraries(vesk_pane PUBLIC vesk_ui)

file(GLOB VESK_GUI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/reading/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/reading/*.h
  ${CMAKE_CURRENT_SOURCE_DIR}/window/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/window/*.h)
list(REMOVE_ITEM VESK_GUI_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/window/main.cpp)
add_library(vesk_gui STATIC ${VESK_GUI_SOURCES})
set_target_properties(vesk_gui PROPERTIES AUTOMOC ON)
target_link_libraries(vesk_gui PUBLIC vesk_pane Qt6::PrintSupport)
target_compile_definitions(vesk_gui PRIVATE VESK_VERSION="${PROJECT_VERSION}")

add_executable(vesk ${CMAKE_CURRENT_SOURCE_DIR}/window/main.cpp)
target_link_libraries(vesk PRIVATE vesk_gui)

# The user manual and the start-up picture lie beside the program in the
# build tree (installed, in share/vesk), where the program looks for them.
add_custom_command(TARGET vesk POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${PROJECT_SOURCE_DIR}/resources/help/help.html
          ${PROJECT_SOURCE_DIR}/resources/bitmaps/splash.png
          $<TARGET_FILE_DIR:vesk>)

# Install rules and packages: cmake/packaging.cmake.
