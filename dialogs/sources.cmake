list(APPEND ZW_WINDOWS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/modal_loop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icon_chooser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp)
