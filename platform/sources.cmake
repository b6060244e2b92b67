list(APPEND ZW_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/platform_error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/utf.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app_title.cpp)
list(APPEND ZW_NATIVE_ONLY_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/upper_case_native.cpp)
list(APPEND ZW_WINDOWS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/upper_case_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win_error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_file_operation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_open.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icon_size.cpp)
