# Histories and settings of the wizard.
list(APPEND ZW_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/history_rules.cpp)
list(APPEND ZW_WINDOWS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/histories.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings.cpp)
