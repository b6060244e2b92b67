list(APPEND ZW_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/link_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/location_rules.cpp)
list(APPEND ZW_WINDOWS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/link_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_links.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wizard_form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/target_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/location_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icon_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/link_creation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_dialogs.cpp)
