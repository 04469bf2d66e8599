# tavemo_add_test(NAME SOURCES file... [LIBS lib...] [LABELS label...])
# One GoogleTest executable per call; its tests are discovered into CTest.
find_package(GTest REQUIRED)
include(GoogleTest)

function(tavemo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tavemo_core GTest::gtest GTest::gmock GTest::gtest_main ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  tavemo_warnings(${name})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${ARG_LABELS}"
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TAVEMO_BIN_DIR=${PROJECT_BINARY_DIR}")
endfunction()
