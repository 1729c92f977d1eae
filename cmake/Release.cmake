# The release build of the program (presets release-x64 and release-x86): optimised for
# size, unused functions and data dropped at link time, link-time optimisation, symbols
# stripped, still fully static (the toolchain links with -static).
#
# Everything of ours and libjpeg get their own sections so the linker can drop what no
# one calls; link-time optimisation then inlines across our libraries and drops the rest.
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections -s)
# Targets of other projects (GoogleTest) are held to the setting as well.
set(CMAKE_POLICY_DEFAULT_CMP0069 NEW)
if(DORVANE_LTO)
  include(CheckIPOSupported)
  check_ipo_supported(RESULT _ipo OUTPUT _ipo_output LANGUAGES C CXX)
  if(_ipo)
    set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ON)
  else()
    message(WARNING "link-time optimisation not available: ${_ipo_output}")
  endif()
endif()
