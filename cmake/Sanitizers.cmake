# Native builds for hunting memory and arithmetic faults:
# CORVANE_SANITIZE builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer (any finding ends the program); CORVANE_FUZZ,
# with clang, adds the libFuzzer targets of tests/fuzz (cmake/Fuzz.cmake).
option(CORVANE_SANITIZE "build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(CORVANE_FUZZ "build the libFuzzer targets (clang only)" OFF)

if(CORVANE_SANITIZE OR CORVANE_FUZZ)
  if(WIN32)
    message(FATAL_ERROR "the sanitizers and fuzz targets are for native builds")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g1)
  add_link_options(-fsanitize=address,undefined)
endif()
if(CORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "the fuzz targets need clang (CC=clang CXX=clang++)")
  endif()
  # Coverage feedback everywhere; the libFuzzer main only in the targets.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
