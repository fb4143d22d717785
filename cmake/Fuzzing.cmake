# Every library of the fuzz build is instrumented for libFuzzer's coverage and checked by
# AddressSanitizer and UndefinedBehaviorSanitizer; any report ends the run as a finding.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "ZR_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
set(ZR_SANITIZERS address,undefined)
add_compile_options(-fsanitize=fuzzer-no-link,${ZR_SANITIZERS} -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=${ZR_SANITIZERS})
