# The release build of the program (presets release-x64 and release-x86): optimised for
# size (-Oz), unused functions and data dropped at link time, symbols stripped, still fully
# static (the toolchain links with -static). Without our demangler stub (main/WinMain.cpp)
# the runtime's demangler would add about 50 KB.
#
# Everything of ours and libjpeg get their own sections so the linker can drop what no
# one calls. Link-time optimisation (DORVANE_LTO, on in the release presets) inlines and
# drops across our libraries (about 150 KB less). The compiler of Debian 12 (GCC 12) stops
# with an internal compiler error (binds_to_current_def_p) when it splits the program
# into partitions for the link, so the program is optimised as one partition (the link
# then takes about a minute). libjpeg is built without it.
add_compile_options(-Oz -ffunction-sections -fdata-sections)
add_compile_definitions(DORVANE_RELEASE_BUILD)
add_link_options(-Wl,--gc-sections -s)
# Targets of other projects (GoogleTest) are held to the setting as well.
set(CMAKE_POLICY_DEFAULT_CMP0069 NEW)
if(DORVANE_LTO)
  include(CheckIPOSupported)
  check_ipo_supported(RESULT _ipo OUTPUT _ipo_output LANGUAGES C CXX)
  if(_ipo)
    set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ON)
    add_link_options(-flto-partition=one)
  else()
    message(WARNING "link-time optimisation not available: ${_ipo_output}")
  endif()
endif()
