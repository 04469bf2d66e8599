# Works out the tool's version and writes the files that carry it. Run at
# every build (cmake -P), so that a new commit changes the version without a
# new configure step; each file is rewritten only when its content changes,
# so an unchanged version rebuilds nothing.
#
# The version: the project's own (project() in CMakeLists.txt) on a release
# commit, tagged v<version>; between releases <version>+git<count>.<hash>,
# count being the commits since the last release tag (or since the first
# commit while there is none). Without git: the project's version alone.
#
# In: SOURCE_DIR, OUT_DIR, PROJECT_VERSION, APP_ID. Out, in OUT_DIR:
#   TavemoVersion.cpp   TavemoVersion() for the programs' --version and About
#   version.txt         the version alone, for the packaging script
#   <APP_ID>.metainfo.xml, changelog.gz   the installed files that name it
cmake_minimum_required(VERSION 3.22)
set(version ${PROJECT_VERSION})
set(date "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${SOURCE_DIR}/.git)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --long --match "v[0-9]*"
                  WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE described RESULT_VARIABLE rc
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(rc EQUAL 0 AND described MATCHES "-([0-9]+)-g([0-9a-f]+)$")
    set(count ${CMAKE_MATCH_1})
    set(hash ${CMAKE_MATCH_2})
  else()
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-list --count HEAD
                    WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE count OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --short=7 HEAD
                    WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE hash OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(count MATCHES "^[0-9]+$" AND NOT count EQUAL 0 AND hash MATCHES "^[0-9a-f]+$")
    set(version "${PROJECT_VERSION}+git${count}.${hash}")
  endif()
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%cs%n%cD
                  WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE dates OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  string(REPLACE "\n" ";" dates "${dates}")
  list(LENGTH dates n)
  if(n EQUAL 2)
    list(GET dates 0 date)
    list(GET dates 1 rfcDate)
  endif()
endif()
if(date STREQUAL "")
  string(TIMESTAMP date "%Y-%m-%d" UTC)
  string(TIMESTAMP rfcDate "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()

file(MAKE_DIRECTORY ${OUT_DIR})
set(TAVEMO_FULL_VERSION ${version})
set(TAVEMO_RELEASE_DATE ${date})
set(TAVEMO_RFC_DATE ${rfcDate})
file(CONFIGURE OUTPUT ${OUT_DIR}/TavemoVersion.cpp CONTENT
"// Written by cmake/Version.cmake at every build.
#include \"diag/Version.h\"

const char* TavemoVersion() { return \"@TAVEMO_FULL_VERSION@\"; }
" @ONLY)
file(CONFIGURE OUTPUT ${OUT_DIR}/version.txt CONTENT "@TAVEMO_FULL_VERSION@\n" @ONLY)
configure_file(${SOURCE_DIR}/data/${APP_ID}.metainfo.xml.in ${OUT_DIR}/${APP_ID}.metainfo.xml @ONLY)

# The package's change log, in Debian's format (dpkg and lintian read it).
set(changelog ${OUT_DIR}/changelog)
file(CONFIGURE OUTPUT ${changelog} CONTENT
"tavemo (@TAVEMO_FULL_VERSION@) unstable; urgency=medium

  * Build of the tavemo service tool, version @TAVEMO_FULL_VERSION@.

 -- Tavemo Building Controls <service@tavemo.example>  @TAVEMO_RFC_DATE@
" @ONLY)
if(NOT EXISTS ${changelog}.gz OR ${changelog} IS_NEWER_THAN ${changelog}.gz)
  find_program(GZIP gzip)
  if(GZIP)
    execute_process(COMMAND ${GZIP} -9nf -k ${changelog})
  endif()
endif()
