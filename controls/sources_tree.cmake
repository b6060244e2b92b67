list(APPEND ZW_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/directory_rules.cpp)
list(APPEND ZW_WINDOWS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/directory_links.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../platform/input_box.cpp)
