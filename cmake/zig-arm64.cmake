# The ARM64 plug-in for Windows on ARM: Zig's clang with the MinGW-w64
# runtime and libc++ (pinned in tools/arm64-toolchain/package-lock.json),
# installed by scripts/setup into the build tree's deps/arm64-toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
if(NOT CORVANE_ARM64_TOOLCHAIN)
  set(CORVANE_ARM64_TOOLCHAIN "${CMAKE_BINARY_DIR}/../deps/arm64-toolchain")
endif()
get_filename_component(CORVANE_ARM64_TOOLCHAIN "${CORVANE_ARM64_TOOLCHAIN}" ABSOLUTE)
set(CORVANE_ARM64_TOOLCHAIN "${CORVANE_ARM64_TOOLCHAIN}" CACHE PATH "the ARM64 toolchain's folder")
# Test projects CMake builds while configuring see the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CORVANE_ARM64_TOOLCHAIN)
if(NOT EXISTS "${CORVANE_ARM64_TOOLCHAIN}/bin/c++")
  message(FATAL_ERROR "ARM64 toolchain not found in ${CORVANE_ARM64_TOOLCHAIN}: run scripts/setup")
endif()
set(CMAKE_C_COMPILER "${CORVANE_ARM64_TOOLCHAIN}/bin/cc")
set(CMAKE_CXX_COMPILER "${CORVANE_ARM64_TOOLCHAIN}/bin/c++")
set(CMAKE_AR "${CORVANE_ARM64_TOOLCHAIN}/bin/ar" CACHE FILEPATH "archiver")
set(CMAKE_RANLIB "${CORVANE_ARM64_TOOLCHAIN}/bin/ranlib" CACHE FILEPATH "ranlib")
set(CMAKE_RC_COMPILER "${CORVANE_ARM64_TOOLCHAIN}/bin/windres")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
