# The program itself: 32-bit, Unicode, statically linked; its tests run under Wine.
add_compile_definitions(UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
add_compile_options(-finput-charset=UTF-8 -fexec-charset=UTF-8 -Wall -Wextra)
add_link_options(-static -municode)
# Debian also has zlib as a DLL; the program carries its own copy.
set(ZLIB_USE_STATIC_LIBS ON)
# Every test program runs under Wine in the build folder's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-test.sh)
