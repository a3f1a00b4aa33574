# Our own host: loads a .8bf under Windows, or calls the statically linked
# entry point in native builds.
if(NOT HOST_SOURCES)
  return()
endif()

# PNG files go through libpng and zlib. Natively they are Debian's libraries;
# Debian builds neither for MinGW but zlib, so the Windows host compiles
# libpng from Debian's source package, which scripts/setup unpacks.
if(WIN32)
  set(CORVANE_LIBPNG_SOURCE "${CMAKE_BINARY_DIR}/../deps/libpng1.6" CACHE PATH "libpng source folder")
  if(NOT EXISTS "${CORVANE_LIBPNG_SOURCE}/png.c")
    message(FATAL_ERROR "libpng source not found in ${CORVANE_LIBPNG_SOURCE}: run scripts/setup")
  endif()
  find_path(ZLIB_MINGW_INCLUDE zlib.h REQUIRED)
  find_library(ZLIB_MINGW_STATIC NAMES libz.a REQUIRED)
  set(LIBPNG_MODULES png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans
      pngwio pngwrite pngwtran pngwutil)
  list(TRANSFORM LIBPNG_MODULES PREPEND "${CORVANE_LIBPNG_SOURCE}/")
  list(TRANSFORM LIBPNG_MODULES APPEND ".c")
  configure_file("${CORVANE_LIBPNG_SOURCE}/scripts/pnglibconf.h.prebuilt"
                 "${CMAKE_BINARY_DIR}/libpng/pnglibconf.h" COPYONLY)
  add_library(corvane_libpng STATIC ${LIBPNG_MODULES})
  target_include_directories(corvane_libpng SYSTEM PUBLIC "${CORVANE_LIBPNG_SOURCE}" "${CMAKE_BINARY_DIR}/libpng"
                             "${ZLIB_MINGW_INCLUDE}")
  # Debian's code as it is: its warnings are not ours to fix.
  target_compile_options(corvane_libpng PRIVATE -w)
  target_link_libraries(corvane_libpng PUBLIC "${ZLIB_MINGW_STATIC}")
  include(${CMAKE_CURRENT_LIST_DIR}/HostImageLibraries.cmake)
  set(HOST_PNG_LIBRARIES corvane_libpng corvane_libtiff corvane_libjpeg)
else()
  find_package(PNG REQUIRED)
  find_package(JPEG REQUIRED)
  find_package(TIFF REQUIRED)
  set(HOST_PNG_LIBRARIES PNG::PNG JPEG::JPEG TIFF::TIFF)
endif()

if(WIN32)
  add_executable(corvhost ${HOST_SOURCES})
  target_include_directories(corvhost PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(corvhost PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
  target_link_options(corvhost PRIVATE -static -static-libgcc -static-libstdc++ -municode)
  target_link_libraries(corvhost PRIVATE ${HOST_PNG_LIBRARIES} user32 gdi32 advapi32)
else()
  # Everything but main.cpp goes into a library that the unit tests link too.
  set(HOST_LIB_SOURCES ${HOST_SOURCES})
  list(FILTER HOST_LIB_SOURCES EXCLUDE REGEX "/main\\.cpp$")
  add_library(corvhost_lib STATIC ${HOST_LIB_SOURCES})
  target_include_directories(corvhost_lib PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(corvhost_lib PUBLIC ${HOST_PNG_LIBRARIES})
  add_executable(corvhost ${PROJECT_SOURCE_DIR}/host/cli/main.cpp $<TARGET_OBJECTS:corvane_core>)
  target_include_directories(corvhost PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(corvhost PRIVATE corvhost_lib)
endif()
