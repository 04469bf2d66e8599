# tavemo_add_test(NAME SOURCES file... [LIBS lib...] [LABELS label...])
# One GoogleTest executable per call; its tests are discovered into CTest.
# Every test executable runs with TAVEMO_BIN_DIR (the build folder) and
# QT_QPA_PLATFORM=offscreen set (tests/support/test_main.cpp).
find_package(GTest REQUIRED)
include(GoogleTest)

add_library(tavemo_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
target_link_libraries(tavemo_test_main PUBLIC GTest::gtest GTest::gmock)
target_compile_definitions(tavemo_test_main PRIVATE TAVEMO_TEST_BIN_DIR="${PROJECT_BINARY_DIR}")

function(tavemo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tavemo_core tavemo_test_main ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  tavemo_warnings(${name})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABELS}")
endfunction()
