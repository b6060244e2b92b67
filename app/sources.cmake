# app/main.cpp is the program's entry and is compiled into the executable alone.
list(APPEND ZW_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/command_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_file.cpp)
list(APPEND ZW_WINDOWS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/shell_registration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_window.cpp)
