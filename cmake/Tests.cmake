# Native unit tests, end-to-end tests of the Windows plug-ins under Wine,
# and the benchmarks.
enable_testing()
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
find_package(benchmark QUIET)

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(corvane_tests ${UNIT_TEST_SOURCES} $<TARGET_OBJECTS:corvane_core>)
target_include_directories(corvane_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(corvane_tests PRIVATE GTest::gtest GTest::gtest_main Threads::Threads)
if(TARGET corvhost_lib)
  target_link_libraries(corvane_tests PRIVATE corvhost_lib)
endif()
target_compile_definitions(corvane_tests PRIVATE CORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
include(GoogleTest)
gtest_discover_tests(corvane_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
if(benchmark_FOUND AND BENCH_SOURCES)
  add_executable(corvane_bench ${BENCH_SOURCES} $<TARGET_OBJECTS:corvane_core>)
  target_include_directories(corvane_bench PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(corvane_bench PRIVATE benchmark::benchmark)
endif()

# End-to-end tests drive the Windows builds; their build folders are given.
set(CORVANE_WIN64_DIR "" CACHE PATH "build folder of the 64-bit plug-in and host")
set(CORVANE_WIN32_DIR "" CACHE PATH "build folder of the 32-bit plug-in")
set(CORVANE_ARM64_DIR "" CACHE PATH "build folder of the ARM64 plug-in")
set(E2E_LONGEST test_host_profiles test_dialog test_dialog_controls)
set(E2E_BOTH_BITNESSES test_dialog test_dialog_controls test_dialog_presets test_dialog_screens
  test_render_formats test_scripting test_selectors test_trace_log)
file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/test_*.py)
foreach(script ${E2E_TESTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.${name}
    COMMAND python3 ${script}
      --win64 ${CORVANE_WIN64_DIR} --win32 ${CORVANE_WIN32_DIR} --arm64 ${CORVANE_ARM64_DIR}
      --native $<TARGET_FILE_DIR:corvhost> --source ${PROJECT_SOURCE_DIR})
  # Scripts that run the native host are labelled too: the sanitized build
  # runs them again.
  file(STRINGS ${script} native_use REGEX "[Aa][Rr][Gg][Ss]\\.native")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script})
  set(labels e2e)
  if(native_use)
    list(APPEND labels native-host)
  endif()
  # Each script has a Wine prefix and server of its own, and each program its
  # own X server: the scripts run side by side.
  # The longest scripts start first, so that none ends the run alone.
  if(name IN_LIST E2E_LONGEST)
    set(cost 1000)
  else()
    set(cost 100)
  endif()
  set_tests_properties(e2e.${name} PROPERTIES TIMEOUT 900 COST ${cost} LABELS "${labels}")
  # The scripts whose Wine half runs the same with either bitness run again
  # with the 32-bit host and plug-in. The host profiles pick the bitness
  # per host themselves.
  if(name IN_LIST E2E_BOTH_BITNESSES)
    add_test(NAME e2e32.${name}
      COMMAND python3 ${script} --bits 32
        --win64 ${CORVANE_WIN64_DIR} --win32 ${CORVANE_WIN32_DIR} --arm64 ${CORVANE_ARM64_DIR}
        --native $<TARGET_FILE_DIR:corvhost> --source ${PROJECT_SOURCE_DIR})
    set_tests_properties(e2e32.${name} PROPERTIES TIMEOUT 900 COST ${cost} LABELS e2e)
  endif()
endforeach()
