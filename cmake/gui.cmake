# Qt 6 Widgets programs. Only the window layer lives here; it links the core.
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)
file(GLOB GUI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/shell/*.cpp
  ${CMAKE_SOURCE_DIR}/src/chrome/*.cpp
  ${CMAKE_SOURCE_DIR}/src/settings/ui/*.cpp
  ${CMAKE_SOURCE_DIR}/src/update/ui/*.cpp)
file(GLOB GUI_RESOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/chrome/*.qrc)
list(FILTER GUI_SOURCES EXCLUDE REGEX "/main\\.cpp$")
if(GUI_SOURCES)
  add_library(tw_gui STATIC ${GUI_SOURCES} ${GUI_RESOURCES})
  target_include_directories(tw_gui PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(tw_gui PUBLIC tw_core Qt6::Widgets)
  if(EXISTS ${CMAKE_SOURCE_DIR}/src/shell/main.cpp)
    add_executable(Tunewell ${CMAKE_SOURCE_DIR}/src/shell/main.cpp)
    target_link_libraries(Tunewell PRIVATE tw_gui)
  endif()
endif()

# The standalone updater: its own window and process handling, and of
# Tunewell only the shared transfer component.
file(GLOB UPDATER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/updater/*.cpp)
list(FILTER UPDATER_SOURCES EXCLUDE REGEX "/main\\.cpp$")
add_library(tw_updater STATIC ${UPDATER_SOURCES})
target_include_directories(tw_updater PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(tw_updater PUBLIC tw_transfer Qt6::Widgets)
add_executable(UpDate ${CMAKE_SOURCE_DIR}/src/updater/main.cpp)
target_link_libraries(UpDate PRIVATE tw_updater)
