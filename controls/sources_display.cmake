list(APPEND ZW_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/path_shortening.cpp)
list(APPEND ZW_WINDOWS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/file_label.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dz_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win_ani.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win_xp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../wizard/icon_count.cpp)
