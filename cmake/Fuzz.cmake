# libFuzzer targets, one per tests/fuzz/fuzz_*.cpp (fuzz_presets, fuzz_png,
# ...), over the core and the host library built with coverage feedback and
# the sanitizers (cmake/Sanitizers.cmake). scripts/fuzz builds and runs them.
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(source ${FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source} $<TARGET_OBJECTS:corvane_core>)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE corvhost_lib)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
