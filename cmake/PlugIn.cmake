# The plug-in library: CorvaneII.8bf, statically linked, exporting
# ENTRYPOINT only.
enable_language(RC)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "ARM64")
  set(PIPL_ARCH_DEFINE CORVANE_ARM64)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PIPL_ARCH_DEFINE CORVANE_X64)
else()
  set(PIPL_ARCH_DEFINE CORVANE_X86)
endif()
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -D${PIPL_ARCH_DEFINE} -I${PROJECT_SOURCE_DIR}/resources")

# libc++ before 17 reads no floating point: Debian's header-only fast_float
# stands in, from a folder of its own so that no other header of the build
# machine comes with it.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  file(COPY /usr/include/fast_float DESTINATION ${CMAKE_BINARY_DIR}/fast_float)
  target_include_directories(corvane_core SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/fast_float)
endif()

add_library(CorvaneII SHARED
  $<TARGET_OBJECTS:corvane_core>
  ${PROJECT_SOURCE_DIR}/resources/CorvaneII.rc
  ${PROJECT_SOURCE_DIR}/resources/CorvaneII.def)
set_target_properties(CorvaneII PROPERTIES PREFIX "" SUFFIX ".8bf" OUTPUT_NAME "CorvaneII")
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_link_options(CorvaneII PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)
  # The same sources give the same bytes: no link time in the PE header, so a
  # release can be rebuilt and compared.
  target_link_options(CorvaneII PRIVATE -Wl,--no-insert-timestamp)
else()
  # Zig links its runtime and libc++ statically, and ARM64 names carry no
  # decoration to kill.
  # -s: no debug sections, so no build paths from the runtime Zig compiles.
  target_link_options(CorvaneII PRIVATE -static -s)
endif()
target_link_libraries(CorvaneII PRIVATE user32 gdi32 comdlg32 advapi32 comctl32)
