# libjpeg-turbo for the Windows build: Debian ships no mingw build, so tools/setup.sh
# fetches Debian's source package and it is built here as a static library.
include(ExternalProject)

file(GLOB _jpeg_candidates "${CMAKE_SOURCE_DIR}/build/_src/libjpeg-turbo-*")
list(SORT _jpeg_candidates)
list(GET _jpeg_candidates -1 _jpeg_default)
set(DORVANE_LIBJPEG_SOURCE "${_jpeg_default}" CACHE PATH "libjpeg-turbo source tree")
if(NOT EXISTS "${DORVANE_LIBJPEG_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "libjpeg-turbo sources not found (${DORVANE_LIBJPEG_SOURCE}); run tools/setup.sh")
endif()

# Only the static library is built; its headers are the source tree's and the generated
# jconfig.h of the build tree.
set(_jpeg_build ${CMAKE_BINARY_DIR}/libjpeg-build)
set(_jpeg_lib ${_jpeg_build}/libjpeg.a)
ExternalProject_Add(libjpeg_turbo_build
  SOURCE_DIR ${DORVANE_LIBJPEG_SOURCE}
  BINARY_DIR ${_jpeg_build}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=$<IF:$<BOOL:${DORVANE_RELEASE}>,MinSizeRel,Release>
    "-DCMAKE_C_FLAGS=$<$<BOOL:${DORVANE_RELEASE}>:-Oz -ffunction-sections -fdata-sections -DNO_GETENV>"
    -DCMAKE_INSTALL_PREFIX=${_jpeg_build}/unused-install
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DWITH_CRT_DLL=OFF -DWITH_ARITH_ENC=OFF -DWITH_ARITH_DEC=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  BUILD_BYPRODUCTS ${_jpeg_lib}
  UPDATE_COMMAND ""
  INSTALL_COMMAND ""
  LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)

file(MAKE_DIRECTORY ${_jpeg_build})
add_library(dorvane_libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(dorvane_libjpeg PROPERTIES
  IMPORTED_LOCATION ${_jpeg_lib}
  INTERFACE_INCLUDE_DIRECTORIES "${DORVANE_LIBJPEG_SOURCE};${_jpeg_build}")
add_dependencies(dorvane_libjpeg libjpeg_turbo_build)
add_library(JPEG::JPEG ALIAS dorvane_libjpeg)
