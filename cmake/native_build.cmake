# Linux build of the portable rules, tested under AddressSanitizer and UBSan.
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)

option(ZW_SANITIZERS "Build under AddressSanitizer and UBSan (OFF for timing benchmarks)" ON)
if(ZW_SANITIZERS)
  set(ZW_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
endif()
add_compile_options(-Wall -Wextra -g ${ZW_SANITIZE})
add_link_options(${ZW_SANITIZE})

# GoogleTest from Debian's sources (package googletest), built with the same flags as the tests.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_library(zw_portable STATIC ${ZW_PORTABLE_SOURCES} ${ZW_NATIVE_ONLY_SOURCES})
target_include_directories(zw_portable PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(zw_portable PUBLIC ZLIB::ZLIB Threads::Threads)

file(GLOB ZW_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_test.cpp)
foreach(test_source IN LISTS ZW_NATIVE_TESTS)
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source})
  target_link_libraries(${test_name} PRIVATE zw_portable gtest gtest_main)
  add_test(NAME native.${test_name} COMMAND ${test_name})
  set_tests_properties(native.${test_name} PROPERTIES TIMEOUT 300)
endforeach()

file(GLOB ZW_NATIVE_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
foreach(bench_source IN LISTS ZW_NATIVE_BENCHES)
  get_filename_component(bench_name ${bench_source} NAME_WE)
  add_executable(${bench_name} EXCLUDE_FROM_ALL ${bench_source})
  target_link_libraries(${bench_name} PRIVATE zw_portable)
  target_compile_options(${bench_name} PRIVATE -O2)
endforeach()
