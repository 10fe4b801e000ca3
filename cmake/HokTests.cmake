# Registering the test programs with CTest. Every test carries the labels of
# its family (ctest -L engine). In the Windows builds the programs run under
# wine through the toolchain's emulator (cmake/wine-run.sh), inside the "wine"
# fixture that makes the prefix and starts a virtual display; in the Linux
# builds the tests that open windows run on a virtual display of their own
# (cmake/xvfb.sh, the "display" fixture); in the 32-bit Linux build the
# toolchain's emulator is cmake/run32.sh. Exit code 77 means "cannot run on
# this machine" and shows as a skipped test.

set(HOK_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "wine prefix the Windows tests run in")

# doctest (Debian's doctest-dev) is one header. The Windows builds take it from
# the build machine too, with only its own folder on their include path.
find_path(HOK_DOCTEST_DIR doctest.h PATH_SUFFIXES doctest NO_CMAKE_FIND_ROOT_PATH REQUIRED)
add_library(hok_doctest INTERFACE)
target_include_directories(hok_doctest SYSTEM INTERFACE ${HOK_DOCTEST_DIR})

# hok_reference_options(<Reference.cpp>), in each folder whose programs build
# the reference: GCC 12's straight-line vectoriser drops a float rounding
# where two neighbouring double fields are stored together (a float result
# widened back to double is stored unrounded); the reference is to be plain,
# not fast.
function(hok_reference_options source)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set_source_files_properties(${source} DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} PROPERTIES COMPILE_OPTIONS
                                "-fno-tree-slp-vectorize;-fno-tree-loop-vectorize")
  endif()
endfunction()

# What the fixtures share with the tests: the display's number, the 32-bit verdict.
set(HOK_TEST_SESSION "${CMAKE_BINARY_DIR}/test-session")

# hok_test(<name> [DISPLAY] LABELS <label>... COMMAND <program or target> <args>...)
# DISPLAY: the program opens windows.
function(hok_test name)
  cmake_parse_arguments(PARSE_ARGV 1 T "DISPLAY" "" "LABELS;COMMAND")
  list(GET T_COMMAND 0 program)
  set(env HOK_TEST_SESSION=${HOK_TEST_SESSION})
  set(fixture "")
  if(HOK_SANITIZE STREQUAL "thread")
    list(APPEND env TSAN_OPTIONS=halt_on_error=1)
  endif()
  if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
    list(APPEND env WINEPREFIX=${HOK_WINEPREFIX})
    if(TARGET ${program})
      list(APPEND T_LABELS wine)
      set(fixture wine)
    endif()
  elseif(T_DISPLAY)
    list(REMOVE_AT T_COMMAND 0)
    set(T_COMMAND ${CMAKE_SOURCE_DIR}/cmake/xvfb.sh run ${HOK_TEST_SESSION} $<TARGET_FILE:${program}> ${T_COMMAND})
    set(fixture display)
  endif()
  add_test(NAME ${name} COMMAND ${T_COMMAND} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" SKIP_RETURN_CODE 77 ENVIRONMENT "${env}"
                       FIXTURES_REQUIRED "${fixture}")
  if(T_DISPLAY)
    # One pointer and one screen: window tests never run side by side (ctest -j).
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
  endif()
endfunction()

# The fixtures: in a Windows build the wine prefix and a display before the
# first program, the wine server and the display gone after the last; in a
# Linux build the display alone, for the tests that open windows.
function(hok_test_fixtures)
  if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
    hok_test(wine.start LABELS wine COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --start)
    hok_test(wine.stop LABELS wine COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --stop)
    set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
  else()
    hok_test(display.start LABELS display COMMAND ${CMAKE_SOURCE_DIR}/cmake/xvfb.sh start ${HOK_TEST_SESSION})
    hok_test(display.stop LABELS display COMMAND ${CMAKE_SOURCE_DIR}/cmake/xvfb.sh stop ${HOK_TEST_SESSION})
    set_tests_properties(display.start PROPERTIES FIXTURES_SETUP display)
    set_tests_properties(display.stop PROPERTIES FIXTURES_CLEANUP display)
  endif()
endfunction()

# hok_doctest_suites(<target> [DISPLAY] [LABELS <label>...] [ARGS <arg>...])
# One test per doctest suite of a program, named after the suite and run with
# -ts=<suite>; its family label is the suite name up to the first dot. The
# suites are read from the program's sources (a change there configures
# again). A suite without a case in this build fails, and <target>.unlisted
# runs every case outside the listed suites, so no case is left out.
function(hok_doctest_suites target)
  cmake_parse_arguments(PARSE_ARGV 1 T "DISPLAY" "" "LABELS;ARGS;EXCLUDE")
  set(display "")
  if(T_DISPLAY)
    set(display DISPLAY)
  endif()
  get_target_property(sources ${target} SOURCES)
  set(pattern "doctest::test_suite\\(\"[^\"]+\"\\)")
  set(suites "")
  foreach(source IN LISTS sources)
    get_filename_component(source "${source}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
    file(STRINGS "${source}" lines REGEX "${pattern}")
    foreach(line IN LISTS lines)
      string(REGEX MATCHALL "${pattern}" found "${line}")
      foreach(decorator IN LISTS found)
        string(REGEX REPLACE "^.*\\(\"(.+)\"\\)$" "\\1" suite "${decorator}")
        list(APPEND suites ${suite})
      endforeach()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  list(SORT suites)
  foreach(suite IN LISTS suites)
    if(suite IN_LIST T_EXCLUDE)
      continue()
    endif()
    string(REGEX REPLACE "\\..*$" "" family ${suite})
    hok_test(${suite} ${display} LABELS ${family} ${T_LABELS} COMMAND ${target} -ts=${suite} ${T_ARGS})
    set_tests_properties(${suite} PROPERTIES FAIL_REGULAR_EXPRESSION "test cases: +0 \\|")
  endforeach()
  string(JOIN "," listed ${suites})
  hok_test(${target}.unlisted ${display} LABELS unlisted ${T_LABELS} COMMAND ${target} -tse=${listed} ${T_ARGS})
endfunction()
