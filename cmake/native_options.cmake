# Linux build of the portable rules, tested under AddressSanitizer and UBSan.
option(ZW_SANITIZERS "Build under AddressSanitizer and UBSan (OFF for timing benchmarks)" ON)
if(ZW_SANITIZERS)
  set(ZW_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
endif()
add_compile_options(-Wall -Wextra -g ${ZW_SANITIZE})
add_link_options(${ZW_SANITIZE})
