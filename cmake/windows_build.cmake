# The program itself: 32-bit, Unicode, statically linked; its tests run under Wine.
add_compile_definitions(UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
add_compile_options(-finput-charset=UTF-8 -fexec-charset=UTF-8 -Wall -Wextra)
add_link_options(-static -municode)

set(ZW_SYSTEM_LIBS ole32 oleaut32 uuid shell32 shlwapi comctl32 gdi32 msimg32 user32
    advapi32 version ws2_32 wininet winmm)

add_library(zw_portable STATIC ${ZW_PORTABLE_SOURCES})
target_include_directories(zw_portable PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(zw_portable PUBLIC /usr/i686-w64-mingw32/lib/libz.a)

add_library(zw_windows STATIC ${ZW_WINDOWS_SOURCES})
target_link_libraries(zw_windows PUBLIC zw_portable ${ZW_SYSTEM_LIBS})
# Portable rules reach a few system services (upper-case mapping) through zw_windows.
target_link_libraries(zw_portable PUBLIC zw_windows)
set_property(TARGET zw_portable PROPERTY LINK_INTERFACE_MULTIPLICITY 3)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ZW_GENERATED ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${ZW_GENERATED})
file(GLOB ZW_ARTWORK_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/artwork/*.py)
add_custom_command(
  OUTPUT ${ZW_GENERATED}/artwork.stamp
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/app/artwork/make_artwork.py ${ZW_GENERATED}
  COMMAND ${CMAKE_COMMAND} -E touch ${ZW_GENERATED}/artwork.stamp
  DEPENDS ${ZW_ARTWORK_SCRIPTS}
  COMMENT "Drawing the program's icon and pictures")
add_custom_target(zw_artwork DEPENDS ${ZW_GENERATED}/artwork.stamp)

set(ZW_RESOURCE ${CMAKE_SOURCE_DIR}/app/zeigerwerk.rc)
set_source_files_properties(${ZW_RESOURCE} PROPERTIES
  OBJECT_DEPENDS "${ZW_GENERATED}/artwork.stamp;${CMAKE_SOURCE_DIR}/app/zeigerwerk.manifest")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${ZW_GENERATED} -I${CMAKE_SOURCE_DIR}/app -c 65001")

add_executable(zeigerwerk WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp ${ZW_RESOURCE})
add_dependencies(zeigerwerk zw_artwork)
target_link_libraries(zeigerwerk PRIVATE zw_windows)

# The help file sits beside the program.
if(EXISTS ${CMAKE_SOURCE_DIR}/app/Pfeilbau.hlp)
  add_custom_command(TARGET zeigerwerk POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/app/Pfeilbau.hlp $<TARGET_FILE_DIR:zeigerwerk>/Pfeilbau.hlp)
endif()

# GoogleTest from Debian's sources, cross-built.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB ZW_WIN_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/support/*.cpp)
add_library(zw_test_support STATIC ${ZW_WIN_TEST_SUPPORT})
target_link_libraries(zw_test_support PUBLIC zw_windows gtest gmock)
target_include_directories(zw_test_support PUBLIC ${CMAKE_SOURCE_DIR})

set(ZW_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(ZW_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-test.sh)
add_test(NAME wine.prefix COMMAND ${ZW_WINE_RUN} --init)
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wineprefix
  ENVIRONMENT "WINEPREFIX=${ZW_WINEPREFIX}" TIMEOUT 300)

file(GLOB ZW_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*_test.cpp)
foreach(test_source IN LISTS ZW_WIN_TESTS)
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source})
  target_link_libraries(${test_name} PRIVATE zw_test_support)
  add_dependencies(${test_name} zeigerwerk)
  add_test(NAME wine.${test_name} COMMAND ${ZW_WINE_RUN} $<TARGET_FILE:${test_name}>)
  set_tests_properties(wine.${test_name} PROPERTIES FIXTURES_REQUIRED wineprefix
    ENVIRONMENT "WINEPREFIX=${ZW_WINEPREFIX};ZW_PROGRAM=$<TARGET_FILE:zeigerwerk>;ZW_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    TIMEOUT 600)
  # Tests that write the program's registry keys must not overlap: one removes what another reads.
  if(test_name MATCHES "^(shell_registration|startup|histories)_test$")
    set_tests_properties(wine.${test_name} PROPERTIES RESOURCE_LOCK program_registry)
  endif()
endforeach()

# The program itself, driven with keystrokes on a screen of its own.
add_test(NAME blackbox.wizard_keys
  COMMAND ${CMAKE_SOURCE_DIR}/tests/blackbox/wizard_keys.sh $<TARGET_FILE:zeigerwerk> ${CMAKE_BINARY_DIR}/blackbox)
set_tests_properties(blackbox.wizard_keys PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)

file(GLOB ZW_WIN_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_winbench.cpp)
foreach(bench_source IN LISTS ZW_WIN_BENCHES)
  get_filename_component(bench_name ${bench_source} NAME_WE)
  add_executable(${bench_name} EXCLUDE_FROM_ALL ${bench_source})
  target_link_libraries(${bench_name} PRIVATE zw_windows)
  target_compile_options(${bench_name} PRIVATE -O2)
endforeach()
