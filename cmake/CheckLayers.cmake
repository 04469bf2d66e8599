# Fails when an include goes against the layers: the core (toolkit-free)
# includes no Qt layer; the configuration pages (pages/) include neither the
# application (app/) nor another subsystem's Qt pages (*/ui/); those ui/
# folders include neither the application nor the Qt pages (pages/core/ is
# core and open to all). Run as: cmake -DROOT=<source> -P CheckLayers.cmake
set(qt_layers "app/|pages/[A-Za-z]+\\.h|[a-z]+/ui/")
set(rules
  "model|diag|link|update|tools|sim|pages/core" "${qt_layers}"
  "pages" "app/|[a-z]+/ui/"
  "diag/ui|link/ui|update/ui|tools/ui" "app/|pages/[A-Za-z]+\\.h")
list(LENGTH rules count)
math(EXPR last "${count} - 1")
set(failures "")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET rules ${i} dirs)
  list(GET rules ${j} forbidden)
  string(REPLACE "|" ";" dirs "${dirs}")
  foreach(dir ${dirs})
    file(GLOB_RECURSE files "${ROOT}/${dir}/*.h" "${ROOT}/${dir}/*.cpp")
    foreach(file ${files})
      file(RELATIVE_PATH rel "${ROOT}" "${file}")
      # A folder's rule does not reach into a deeper layer of its own
      # (pages/ does not judge pages/core/, link/ does not judge link/ui/).
      if(NOT dir MATCHES "/" AND rel MATCHES "^${dir}/(core|ui)/")
        continue()
      endif()
      file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
      foreach(line ${lines})
        if(line MATCHES "\"(${forbidden})")
          list(APPEND failures "${rel}: ${line}")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()
if(failures)
  string(REPLACE ";" "\n  " text "${failures}")
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
