# A test build under the compiler's sanitizers, e.g. -DZR_SANITIZE=undefined; off when empty.
# Every finding ends the program, so a test that passes ran clean.
set(ZR_SANITIZE "" CACHE STRING "Sanitizers to build with (undefined, address, ...); empty for none")
if(ZR_SANITIZE)
  if(MSVC)
    message(FATAL_ERROR "ZR_SANITIZE is for GCC and Clang")
  endif()
  add_compile_options(-fsanitize=${ZR_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${ZR_SANITIZE})
endif()
