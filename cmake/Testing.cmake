# Test registration shared by every test folder.
#
# Native builds use GoogleTest's discovery. Windows builds run under Wine; running the
# executables at configure or discovery time would need Wine before the persistent
# wineserver exists, so each GoogleTest suite named in the sources becomes one ctest
# entry instead (a crash then fails only its own suite).

if(WIN32)
  set(DORVANE_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources for the cross build")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${DORVANE_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

set(DORVANE_TEST_ENV
  "WINEPREFIX=${DORVANE_WINEPREFIX}"
  "FONTCONFIG_FILE=${DORVANE_WINEPREFIX}/fontconfig/fonts.conf"
  "WINEDEBUG=-all"
  "LC_ALL=C.UTF-8"
  "WINEDLLOVERRIDES=mscoree,mshtml="
  "DORVANE_SERVER=127.0.0.1:9"
  "http_proxy=" "https_proxy=" "HTTP_PROXY=" "HTTPS_PROXY=" "all_proxy=" "ALL_PROXY=")

# A persistent wineserver: without it every test waits seconds for Wine's helpers.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  # The session's desktop process is kept up for the whole run by a program of its own.
  add_executable(desktop_keeper WIN32 ${CMAKE_SOURCE_DIR}/tests/support/DesktopKeeper.cpp)
  add_test(NAME wine_start COMMAND ${CMAKE_COMMAND} -E env DORVANE_DESKTOP_KEEPER=$<TARGET_FILE:desktop_keeper>
                                   ${CMAKE_SOURCE_DIR}/tools/wine-server start ${DORVANE_WINEPREFIX})
  add_test(NAME wine_stop COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-server stop ${DORVANE_WINEPREFIX})
  set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine)
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# The display scales (DPI) that tests render at, beside 96: each has a copy of the headless
# prefix with its LogPixels (tools/setup.sh) and a persistent wineserver of its own.
set(DORVANE_TEST_DPIS 120 144 192)
if(WIN32 AND CMAKE_CROSSCOMPILING)
  foreach(dpi IN LISTS DORVANE_TEST_DPIS)
    add_test(NAME wine_start_${dpi} COMMAND ${CMAKE_COMMAND} -E env DORVANE_DESKTOP_KEEPER=$<TARGET_FILE:desktop_keeper>
                                            ${CMAKE_SOURCE_DIR}/tools/wine-server start ${DORVANE_WINEPREFIX}-${dpi})
    add_test(NAME wine_stop_${dpi} COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-server stop ${DORVANE_WINEPREFIX}-${dpi})
    set_tests_properties(wine_start_${dpi} PROPERTIES FIXTURES_SETUP wine${dpi})
    set_tests_properties(wine_stop_${dpi} PROPERTIES FIXTURES_CLEANUP wine${dpi})
  endforeach()
endif()

# dorvane_gtest(<name> SOURCES ... [LIBS ...] [LABELS ...] [SCALED])
# SCALED: every suite also runs at each of DORVANE_TEST_DPIS, as <name>.<suite>@<dpi>, in
# that scale's prefix; DORVANE_TEST_DPI tells the test which DPI its prefix was given.
function(dorvane_gtest name)
  cmake_parse_arguments(T "SCALED" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  dorvane_warnings(${name})
  if(WIN32)
    set(suites)
    foreach(src IN LISTS T_SOURCES)
      # A new suite in a source must show up as a ctest entry without a manual reconfigure.
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${src})
      file(READ ${CMAKE_CURRENT_SOURCE_DIR}/${src} text)
      string(REGEX MATCHALL "(TEST|TEST_F|TEST_P)\\([ \t\r\n]*[A-Za-z0-9_]+" hits "${text}")
      foreach(hit IN LISTS hits)
        string(REGEX REPLACE ".*\\([ \t\r\n]*" "" suite "${hit}")
        list(APPEND suites ${suite})
      endforeach()
    endforeach()
    list(REMOVE_DUPLICATES suites)
    foreach(suite IN LISTS suites)
      add_test(NAME ${name}.${suite} COMMAND ${name} --gtest_filter=${suite}.*:${suite}/*)
      set_tests_properties(${name}.${suite} PROPERTIES
        ENVIRONMENT "${DORVANE_TEST_ENV}"
        FIXTURES_REQUIRED wine
        LABELS "wine;${T_LABELS}"
        TIMEOUT 300
        FAIL_REGULAR_EXPRESSION "Unhandled exception;Unhandled page fault;\\[  FAILED  \\]")
      if(T_SCALED)
        set_property(TEST ${name}.${suite} APPEND PROPERTY ENVIRONMENT "DORVANE_TEST_DPI=96")
        foreach(dpi IN LISTS DORVANE_TEST_DPIS)
          set(env "${DORVANE_TEST_ENV}")
          list(TRANSFORM env REPLACE "^(WINEPREFIX=.*)$" "\\1-${dpi}")
          list(TRANSFORM env REPLACE "^FONTCONFIG_FILE=.*$" "FONTCONFIG_FILE=${DORVANE_WINEPREFIX}-${dpi}/fontconfig/fonts.conf")
          add_test(NAME ${name}.${suite}@${dpi} COMMAND ${name} --gtest_filter=${suite}.*:${suite}/*)
          set_tests_properties(${name}.${suite}@${dpi} PROPERTIES
            ENVIRONMENT "${env};DORVANE_TEST_DPI=${dpi}"
            FIXTURES_REQUIRED wine${dpi}
            LABELS "wine;scaled;${T_LABELS}"
            TIMEOUT 300
            FAIL_REGULAR_EXPRESSION "Unhandled exception;Unhandled page fault;\\[  FAILED  \\]")
        endforeach()
      endif()
    endforeach()
  else()
    gtest_discover_tests(${name} PROPERTIES LABELS "native;${T_LABELS}" TIMEOUT 120)
  endif()
endfunction()
