# Puts a right and a wrong include of each form into a small tree laid out
# like the layers (fixture/), builds each as a file of its layer's library and
# runs the include scan over the tree: every wrong include must fail the
# build, the scan or both, as its row says; every right one must pass both.
#
# Run as: cmake -DSOURCE=<source root> -DWORK=<scratch folder>
#           -DGENERATOR=<generator> -DCXX=<compiler> -P CheckLayersTest.cmake
cmake_minimum_required(VERSION 3.22)
include(${SOURCE}/cmake/TavemoLayers.cmake)

# name | file written | its include | compiles | scan
# A .h case is compiled through a .cpp beside it that includes the header
# from the source root, as the layer's own files do.
set(cases
  # Right includes: the layer's own headers and those below it.
  "CoreSeesCore|link/RightCore.cpp|\"model/Model.h\"|yes|pass"
  "CoreSeesPagesCore|model/RightPagesCore.cpp|\"pages/core/PageCore.h\"|yes|pass"
  "CoreAngleBracketCore|link/RightAngle.cpp|<model/Model.h>|yes|pass"
  "PagesSeePages|pages/RightPages.cpp|\"pages/CDlgConfigure2.h\"|yes|pass"
  "PagesSeeCore|pages/RightPagesCore.cpp|\"pages/core/PageCore.h\"|yes|pass"
  "UiSeesUi|link/ui/RightUi.cpp|\"link/ui/LinkPage.h\"|yes|pass"
  "UiSeesBeside|link/ui/RightBeside.cpp|\"LinkPage.h\"|yes|pass"
  "UiSeesCore|link/ui/RightUiCore.cpp|\"link/Link.h\"|yes|pass"
  "AppSeesPages|app/RightAppPages.cpp|\"pages/CDlgConfigure2.h\"|yes|pass"
  "AppSeesUi|app/RightAppUi.cpp|<link/ui/LinkPage.h>|yes|pass"
  "FormSeesCore|pages/form/RightFormCore.cpp|\"pages/core/PageCore.h\"|yes|pass"
  "PagesSeeForm|pages/RightPagesForm.cpp|\"pages/form/Form.h\"|yes|pass"
  "UiSeesForm|link/ui/RightUiForm.cpp|<pages/form/Form.h>|yes|pass"
  # Named from the source root: the include directories refuse them.
  "CoreAngleBracketApp|link/WrongAngleApp.cpp|<app/App.h>|no|flag"
  "CoreAngleBracketUi|model/WrongAngleUi.cpp|<link/ui/LinkPage.h>|no|flag"
  "CoreUi|link/WrongUi.cpp|\"link/ui/LinkPage.h\"|no|flag"
  "CorePageWithDigit|model/WrongDigit.cpp|\"pages/CDlgConfigure2.h\"|no|flag"
  "PagesCoreParentPage|pages/core/WrongPage.cpp|\"pages/CDlgConfigure2.h\"|no|flag"
  "PagesApp|pages/WrongApp.cpp|\"app/App.h\"|no|flag"
  "PagesUi|pages/WrongUi.cpp|<link/ui/LinkPage.h>|no|flag"
  "UiPageWithDigit|link/ui/WrongDigit.cpp|\"pages/CDlgConfigure2.h\"|no|flag"
  "UiApp|link/ui/WrongApp.cpp|<app/App.h>|no|flag"
  "CoreForm|link/WrongForm.cpp|\"pages/form/Form.h\"|no|flag"
  "FormPages|pages/form/WrongPages.cpp|\"pages/CDlgConfigure2.h\"|no|flag"
  "FormUi|pages/form/WrongUi.cpp|<link/ui/LinkPage.h>|no|flag"
  # A core header reached through its layer's folder finds no ui/ beside it.
  "CoreHeaderBareUi|link/WrongBareUi.h|\"ui/LinkPage.h\"|no|flag"
  # Found from the including file's own folder: only the scan sees them.
  "CoreBareUi|link/WrongBareUi.cpp|\"ui/LinkPage.h\"|yes|flag"
  "PagesCoreUp|pages/core/WrongUp.cpp|\"../CDlgConfigure2.h\"|yes|flag"
  "UiUpToApp|link/ui/WrongUp.cpp|\"../../app/App.h\"|yes|flag"
  "FormUpToPages|pages/form/WrongUp.cpp|\"../CDlgConfigure2.h\"|yes|flag"
  # Climbs out of the core's include folder into the application's.
  "CoreUpOutOfItsFolder|model/WrongUpOut.cpp|\"../app/app/App.h\"|yes|flag")

file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE}/tests/layers/fixture/ DESTINATION ${WORK}/src)
set(fixture_cases "")
foreach(row IN LISTS cases)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 name)
  list(GET row 1 file)
  list(GET row 2 include)
  get_filename_component(dir ${file} DIRECTORY)
  tavemo_layer_of(layer "${file}")
  if(file MATCHES "\\.h$")
    file(WRITE ${WORK}/src/${file} "#pragma once\n\n#include ${include}\n")
    set(source ${dir}/${name}User.cpp)
    file(WRITE ${WORK}/src/${source} "#include \"${file}\"\n\nint case${name}() { return 0; }\n")
  else()
    set(source ${file})
    file(WRITE ${WORK}/src/${source} "#include ${include}\n\nint case${name}() { return 0; }\n")
  endif()
  string(APPEND fixture_cases "  \"${name}|${layer}|${source}\"\n")
endforeach()
file(WRITE ${WORK}/src/cases.cmake "set(CASES\n${fixture_cases})\n")

execute_process(
  COMMAND ${CMAKE_COMMAND} -G ${GENERATOR} -S ${WORK}/src -B ${WORK}/build
          -DCMAKE_CXX_COMPILER=${CXX} -DTAVEMO_CMAKE_DIR=${SOURCE}/cmake
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The fixture does not configure:\n${out}")
endif()
# Every case, keeping on past the failures (which are expected).
if(GENERATOR STREQUAL "Ninja")
  set(keep_going -k 0)
else()
  set(keep_going -k)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build -j 4 -- ${keep_going}
  OUTPUT_VARIABLE build_log ERROR_VARIABLE build_log)
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK}/src -P ${SOURCE}/cmake/CheckLayers.cmake
  OUTPUT_VARIABLE scan_log ERROR_VARIABLE scan_log)

set(wrong "")
foreach(row IN LISTS cases)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 name)
  list(GET row 1 file)
  list(GET row 2 include)
  list(GET row 3 want_compile)
  list(GET row 4 want_scan)
  file(GLOB built ${WORK}/build/built/*case_${name}.*)
  set(compiles no)
  if(built)
    set(compiles yes)
  endif()
  set(scan pass)
  string(FIND "${scan_log}" " ${file}: " at)
  if(at GREATER -1)
    set(scan flag)
  endif()
  set(line "${name}: ${file} with #include ${include}: compiles ${compiles}, scan ${scan}")
  if(compiles STREQUAL want_compile AND scan STREQUAL want_scan)
    message(STATUS "ok   ${line}")
  else()
    message(STATUS "FAIL ${line} (wanted compiles ${want_compile}, scan ${want_scan})")
    list(APPEND wrong ${name})
  endif()
endforeach()
if(wrong)
  message(FATAL_ERROR "Cases not as wanted: ${wrong}\n-- build:\n${build_log}\n-- scan:\n${scan_log}")
endif()
