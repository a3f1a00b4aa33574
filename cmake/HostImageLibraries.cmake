# JPEG and TIFF for the Windows host: libjpeg-turbo and libtiff from
# Debian's source packages (scripts/setup unpacks them), each configured
# with its own CMake build for the same MinGW toolchain, static, with only
# what the host uses: no SIMD (it would need nasm), no TurboJPEG API, and in
# libtiff only PackBits, LZW and Deflate (Debian's MinGW zlib).
include(ExternalProject)

set(CORVANE_DEPS_SOURCE "${CMAKE_BINARY_DIR}/../deps" CACHE PATH "unpacked Debian source packages")
foreach(source libjpeg-turbo/jpeglib.h tiff/libtiff/tiffio.h)
  if(NOT EXISTS "${CORVANE_DEPS_SOURCE}/${source}")
    message(FATAL_ERROR "${CORVANE_DEPS_SOURCE}/${source} not found: run scripts/setup")
  endif()
endforeach()

set(HOST_DEPS_PREFIX "${CMAKE_BINARY_DIR}/host-deps")
set(HOST_DEPS_CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${HOST_DEPS_PREFIX} -DCMAKE_C_FLAGS=-w)
file(MAKE_DIRECTORY "${HOST_DEPS_PREFIX}/include")

ExternalProject_Add(host_libjpeg_build
  SOURCE_DIR "${CORVANE_DEPS_SOURCE}/libjpeg-turbo"
  BINARY_DIR "${CMAKE_BINARY_DIR}/host-deps-build/libjpeg-turbo"
  CMAKE_ARGS ${HOST_DEPS_CMAKE_ARGS} -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF
             -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a ${HOST_DEPS_PREFIX}/lib/libjpeg.a
          COMMAND ${CMAKE_COMMAND} -E copy <SOURCE_DIR>/jpeglib.h <SOURCE_DIR>/jmorecfg.h <SOURCE_DIR>/jerror.h
                  <BINARY_DIR>/jconfig.h ${HOST_DEPS_PREFIX}/include/
  BUILD_BYPRODUCTS ${HOST_DEPS_PREFIX}/lib/libjpeg.a)

ExternalProject_Add(host_libtiff_build
  SOURCE_DIR "${CORVANE_DEPS_SOURCE}/tiff"
  BINARY_DIR "${CMAKE_BINARY_DIR}/host-deps-build/tiff"
  CMAKE_ARGS ${HOST_DEPS_CMAKE_ARGS} -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF
             -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF -Djpeg=OFF -Dold-jpeg=OFF -Djbig=OFF -Dlerc=OFF
             -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlibdeflate=OFF -Dpixarlog=OFF -Dccitt=OFF -Dthunder=OFF
             -Dnext=OFF -Dlogluv=OFF -Dmdi=OFF -Dzlib=ON -DZLIB_INCLUDE_DIR=${ZLIB_MINGW_INCLUDE}
             -DZLIB_LIBRARY=${ZLIB_MINGW_STATIC}
  BUILD_BYPRODUCTS ${HOST_DEPS_PREFIX}/lib/libtiff.a)

add_library(corvane_libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(corvane_libjpeg PROPERTIES IMPORTED_LOCATION "${HOST_DEPS_PREFIX}/lib/libjpeg.a"
                      INTERFACE_INCLUDE_DIRECTORIES "${HOST_DEPS_PREFIX}/include")
add_dependencies(corvane_libjpeg host_libjpeg_build)
add_library(corvane_libtiff STATIC IMPORTED GLOBAL)
set_target_properties(corvane_libtiff PROPERTIES IMPORTED_LOCATION "${HOST_DEPS_PREFIX}/lib/libtiff.a"
                      INTERFACE_INCLUDE_DIRECTORIES "${HOST_DEPS_PREFIX}/include"
                      INTERFACE_LINK_LIBRARIES "${ZLIB_MINGW_STATIC}")
add_dependencies(corvane_libtiff host_libtiff_build)
