# The plug-in library: CorvaneII.8bf, statically linked, exporting
# ENTRYPOINT only.
enable_language(RC)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PIPL_ARCH_DEFINE CORVANE_X64)
else()
  set(PIPL_ARCH_DEFINE CORVANE_X86)
endif()
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -D${PIPL_ARCH_DEFINE} -I${PROJECT_SOURCE_DIR}/resources")

add_library(CorvaneII SHARED
  $<TARGET_OBJECTS:corvane_core>
  ${PROJECT_SOURCE_DIR}/resources/CorvaneII.rc
  ${PROJECT_SOURCE_DIR}/resources/CorvaneII.def)
set_target_properties(CorvaneII PROPERTIES PREFIX "" SUFFIX ".8bf" OUTPUT_NAME "CorvaneII")
target_link_options(CorvaneII PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)
# The same sources give the same bytes: no link time in the PE header, so a
# release can be rebuilt and compared.
target_link_options(CorvaneII PRIVATE -Wl,--no-insert-timestamp)
target_link_libraries(CorvaneII PRIVATE user32 gdi32 comdlg32 advapi32 comctl32)
