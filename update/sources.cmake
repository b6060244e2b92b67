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

# Fuzzing of the parsers that read what a server or an archive sends (native build, clang).
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  foreach(fuzz_target http_response zip_reader)
    add_test(NAME fuzz.${fuzz_target}
      COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/fuzz/run_fuzz.sh ${fuzz_target} ${CMAKE_SOURCE_DIR}
              ${CMAKE_BINARY_DIR}/fuzz 30)
    set_tests_properties(fuzz.${fuzz_target} PROPERTIES TIMEOUT 600)
  endforeach()
endif()
