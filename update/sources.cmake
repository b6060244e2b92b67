list(APPEND ZW_PORTABLE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/file_io.cpp
  ${CMAKE_CURRENT_LIST_DIR}/socket_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_response.cpp
  ${CMAKE_CURRENT_LIST_DIR}/http_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_extract.cpp)
list(APPEND ZW_NATIVE_ONLY_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/bsd_socket.cpp)
list(APPEND ZW_WINDOWS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/winsock_socket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zip_message_box.cpp)
