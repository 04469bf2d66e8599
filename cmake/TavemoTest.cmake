# tavemo_add_test(NAME SOURCES file... [LIBS lib...] [LABELS label...])
# One GoogleTest executable per call; its tests are discovered into CTest.
# Every test executable runs with TAVEMO_BIN_DIR (the build folder) and
# QT_QPA_PLATFORM=offscreen set, and gets private temporary, runtime and
# cache folders (tests/support/test_main.cpp).

# GoogleTest: the installed package, or built from its sources when
# TAVEMO_GTEST_SOURCE names them. A cross build has no package for the target
# system and takes the sources Debian's libgtest-dev ships.
set(TAVEMO_GTEST_SOURCE "" CACHE PATH "GoogleTest sources to build instead of the installed package")
if(CMAKE_CROSSCOMPILING AND NOT TAVEMO_GTEST_SOURCE)
  set(TAVEMO_GTEST_SOURCE /usr/src/googletest CACHE PATH "" FORCE)
endif()
if(TAVEMO_GTEST_SOURCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE) # the runtime library the rest uses (MSVC)
  set(gtest_system "")
  if(CMAKE_VERSION VERSION_GREATER_EQUAL 3.25)
    set(gtest_system SYSTEM) # its headers bring no warnings into the tests
  endif()
  add_subdirectory(${TAVEMO_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL ${gtest_system})
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# The tests name their helpers from the source root ("tests/support/...")
# and from tests/ ("update/DnlTestFile.h"); the project's headers they reach
# through the libraries they link, like any other user of them. A folder of
# the build tree holds a link to tests/ alone, so that the source root is
# no include directory of theirs.
set(TAVEMO_TEST_INCLUDE_DIRS ${PROJECT_SOURCE_DIR}/tests ${PROJECT_BINARY_DIR}/layers/tests)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/layers/tests)
file(CREATE_LINK ${PROJECT_SOURCE_DIR}/tests ${PROJECT_BINARY_DIR}/layers/tests/tests SYMBOLIC)

if(WIN32)
  set(test_main_source ${PROJECT_SOURCE_DIR}/tests/support/test_main_win32.cpp)
else()
  set(test_main_source ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
endif()
# The test code itself needs no optimization: it mostly waits for the
# simulator, and optimizing its many test templates is most of what the
# compiler spends on the tests. The code under test keeps its build type's.
# In the sanitizer build the test code itself is not instrumented (the
# code under test is): instrumenting the test templates costs more compile
# time than anything else, and finds faults only in the tests.
function(tavemo_test_flags target)
  tavemo_warnings(${target})
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE -O0)
  endif()
  if(TAVEMO_SANITIZE)
    target_compile_options(${target} PRIVATE -fno-sanitize=all)
  endif()
endfunction()

add_library(tavemo_test_main STATIC ${test_main_source})
target_link_libraries(tavemo_test_main PUBLIC GTest::gtest GTest::gmock)
tavemo_test_flags(tavemo_test_main) # same flags as the tests, or GCC refuses the shared header
# On the file, not the target, so that the target's precompiled header stays
# usable for the tests that borrow it.
set_source_files_properties(${test_main_source} PROPERTIES
  COMPILE_DEFINITIONS TAVEMO_TEST_BIN_DIR="${PROJECT_BINARY_DIR}")

# Precompiled headers shared by the test executables: compiled once here,
# borrowed by every test (GCC takes a precompiled header only when the flags
# match, so the widget tests have their own).
target_precompile_headers(tavemo_test_main PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch/test.h)
if(TAVEMO_BUILD_UI)
  add_library(tavemo_qt_test_pch STATIC ${PROJECT_SOURCE_DIR}/cmake/pch/empty.cpp)
  target_link_libraries(tavemo_qt_test_pch PRIVATE GTest::gtest GTest::gmock Qt6::Widgets)
  tavemo_test_flags(tavemo_qt_test_pch)
  target_precompile_headers(tavemo_qt_test_pch PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch/qt_test.h)
  # The programs that drive the main window against the simulator.
  add_library(tavemo_sim_test_pch STATIC ${PROJECT_SOURCE_DIR}/cmake/pch/empty.cpp)
  target_link_libraries(tavemo_sim_test_pch PRIVATE GTest::gtest GTest::gmock tavemo_app)
  target_include_directories(tavemo_sim_test_pch PRIVATE ${TAVEMO_TEST_INCLUDE_DIRS})
  tavemo_test_flags(tavemo_sim_test_pch)
  target_precompile_headers(tavemo_sim_test_pch PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch/sim_test.h)
endif()

# tavemo_use_test_pch(target): borrow the matching precompiled header.
function(tavemo_use_test_pch target)
  get_target_property(libs ${target} LINK_LIBRARIES)
  # The command library brings Qt's GUI module (the report's PDF) and with
  # it -fPIC, which neither shared header was built with: such a test
  # compiles without one rather than have GCC refuse it with a warning.
  if("tavemo_cli_lib" IN_LIST libs AND TARGET tavemo_report_pdf)
    return()
  endif()
  if(TAVEMO_BUILD_UI AND ("tavemo_app" IN_LIST libs OR "tavemo_pages" IN_LIST libs OR "Qt6::Test" IN_LIST libs))
    target_precompile_headers(${target} REUSE_FROM tavemo_qt_test_pch)
  else()
    target_precompile_headers(${target} REUSE_FROM tavemo_test_main)
  endif()
endfunction()

# COST: a test of this executable takes long (tens of seconds); ctest starts
# such tests first, so that none is left running alone at the end.
function(tavemo_add_test name)
  cmake_parse_arguments(ARG "" "COST" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT ARG_COST)
    set(ARG_COST 0)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tavemo_core tavemo_test_main ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${TAVEMO_TEST_INCLUDE_DIRS})
  tavemo_test_flags(${name})
  tavemo_use_test_pch(${name})
  if(CMAKE_CROSSCOMPILING)
    # The build machine cannot list the tests of a foreign executable; the
    # executable is one test (scripts/test-windows.sh runs it under wine).
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  else()
    gtest_discover_tests(${name}
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS "${ARG_LABELS}" COST ${ARG_COST})
  endif()
endfunction()

# tavemo_add_sim_page_test(NAME SOURCE [TIMEOUT s] [APART FILTER]): real
# pages in the real main window, offscreen, against tavemo-unitsim. One
# CTest entry for the whole executable: its tests share one simulator and
# one connected window (connecting alone costs about two seconds), which one
# process per test would repeat. APART: the tests the GoogleTest filter
# names run as a second entry (NAME_apart, a window of its own) beside the
# rest, so that a long executable does not hold up the end of the run.
function(tavemo_add_sim_page_test name source)
  cmake_parse_arguments(ARG "" "TIMEOUT;APART" "" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${source} ${PROJECT_SOURCE_DIR}/tests/support/LsanSuppressions.cpp)
  target_link_libraries(${name} PRIVATE tavemo_core tavemo_test_main tavemo_app Qt6::Test)
  target_include_directories(${name} PRIVATE ${TAVEMO_TEST_INCLUDE_DIRS})
  tavemo_test_flags(${name})
  target_precompile_headers(${name} REUSE_FROM tavemo_sim_test_pch)
  add_dependencies(${name} tavemo-unitsim)
  set(entries ${name})
  if(ARG_APART)
    add_test(NAME ${name} COMMAND ${name} --gtest_filter=-${ARG_APART})
    add_test(NAME ${name}_apart COMMAND ${name} --gtest_filter=${ARG_APART})
    list(APPEND entries ${name}_apart)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  # Each of these drives a whole window against the simulator for tens of
  # seconds: a high cost makes ctest start them first, so that no long one
  # is left running alone at the end (a clean build has no timings yet).
  set_tests_properties(${entries} PROPERTIES LABELS "pages" TIMEOUT ${ARG_TIMEOUT} COST 100)
endfunction()

# tavemo_add_screenshot_tool(NAME SOURCE): a program that pictures the tool
# against the simulator, run by hand (see README).
function(tavemo_add_screenshot_tool name source)
  if(NOT TAVEMO_BUILD_SCREENSHOTS)
    return()
  endif()
  add_executable(${name} ${source} ${PROJECT_SOURCE_DIR}/tests/support/LsanSuppressions.cpp)
  # GoogleTest only for its compile flags: the shared header needs them.
  target_link_libraries(${name} PRIVATE tavemo_app Qt6::Test GTest::gtest)
  target_include_directories(${name} PRIVATE ${TAVEMO_TEST_INCLUDE_DIRS})
  target_compile_definitions(${name} PRIVATE TAVEMO_TEST_BIN_DIR="${PROJECT_BINARY_DIR}")
  tavemo_test_flags(${name})
  target_precompile_headers(${name} REUSE_FROM tavemo_sim_test_pch)
  add_dependencies(${name} tavemo-unitsim)
endfunction()
