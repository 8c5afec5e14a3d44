# Compiler settings shared by every target of the project.
add_library(korimo_options INTERFACE)
target_compile_options(korimo_options INTERFACE -Wall -Wextra)
# GCC 12 reports -Wrestrict falsely inside libstdc++'s basic_string at -O2.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(korimo_options INTERFACE -Wno-restrict)
endif()
if(KORIMO_WARNINGS_AS_ERRORS)
  target_compile_options(korimo_options INTERFACE -Werror)
endif()
if(KORIMO_SANITIZE)
  target_compile_options(korimo_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(korimo_options INTERFACE -fsanitize=address,undefined)
endif()
if(KORIMO_FUZZ)
  # Coverage for libFuzzer and the sanitizers in every library; the fuzz
  # targets add the fuzzer's own main.
  target_compile_options(korimo_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(korimo_options INTERFACE -fsanitize=address,undefined)
endif()
if(WIN32)
  target_compile_definitions(korimo_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  # No link time in the headers: the same sources give the same binaries, so
  # a release rebuilt from its commit has the same SHA-256 sums.
  target_link_options(korimo_options INTERFACE -static -static-libgcc -static-libstdc++
    -Wl,--no-insert-timestamp)
endif()
target_include_directories(korimo_options INTERFACE ${PROJECT_SOURCE_DIR})
