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

# The library is built from a copy of the sources whose jmorecfg.h leaves out what the
# program never asks the decoder for: scaled output, colour quantization, merged
# upsampling and the fast and floating-point inverse DCTs (our pictures are decoded at
# full size to full colour with fancy upsampling and the accurate integer DCT, the
# defaults, so they decode exactly as before). The linker cannot drop these by itself:
# the decoder picks them at run time from tables. Progressive decoding stays.
set(_jpeg_src ${CMAKE_BINARY_DIR}/libjpeg-src)
file(COPY ${DORVANE_LIBJPEG_SOURCE}/ DESTINATION ${_jpeg_src}
  PATTERN doc EXCLUDE PATTERN java EXCLUDE PATTERN testimages EXCLUDE PATTERN debian EXCLUDE
  PATTERN fuzz EXCLUDE PATTERN simd EXCLUDE PATTERN jmorecfg.h EXCLUDE)
file(READ ${DORVANE_LIBJPEG_SOURCE}/jmorecfg.h _jpeg_cfg)
foreach(_feature IDCT_SCALING UPSAMPLE_MERGING QUANT_1PASS QUANT_2PASS DCT_IFAST DCT_FLOAT)
  string(REGEX REPLACE "\n#define ${_feature}_SUPPORTED" "\n#undef ${_feature}_SUPPORTED" _jpeg_cfg_next "${_jpeg_cfg}")
  if(_jpeg_cfg_next STREQUAL _jpeg_cfg)
    message(FATAL_ERROR "${_feature}_SUPPORTED not found in ${DORVANE_LIBJPEG_SOURCE}/jmorecfg.h")
  endif()
  set(_jpeg_cfg "${_jpeg_cfg_next}")
endforeach()
# Written only when it changes, so a new configure does not rebuild the library.
file(CONFIGURE OUTPUT ${_jpeg_src}/jmorecfg.h CONTENT "${_jpeg_cfg}" @ONLY)

# Only the static library is built; its headers are the copy's and the generated
# jconfig.h of the build tree.
set(_jpeg_build ${CMAKE_BINARY_DIR}/libjpeg-decoder)
set(_jpeg_lib ${_jpeg_build}/libjpeg.a)
ExternalProject_Add(libjpeg_turbo_build
  SOURCE_DIR ${_jpeg_src}
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
  INTERFACE_INCLUDE_DIRECTORIES "${_jpeg_src};${_jpeg_build}")
add_dependencies(dorvane_libjpeg libjpeg_turbo_build)
add_library(JPEG::JPEG ALIAS dorvane_libjpeg)
