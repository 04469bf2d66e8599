# Fails when an include goes against the layers (the table in
# TavemoLayers.cmake): the core includes no Qt layer; the configuration pages
# (pages/) include neither the application (app/) nor a */ui/ folder; the ui/
# folders include neither the application nor the configuration pages.
#
# The include directories already refuse a header of another layer named from
# the source root; this scan catches what they cannot: a quote include the
# compiler finds from the including file's own folder ("ui/CTabUpdate.h" in
# update/), and any "../" path (it can also climb out of a layer's include
# folder into another's). It judges quote and angle-bracket includes alike.
#
# Run as: cmake -DROOT=<source> [-DSTAMP=<file>] -P CheckLayers.cmake
# STAMP is touched when every include is right.
cmake_minimum_required(VERSION 3.22)
include(${CMAKE_CURRENT_LIST_DIR}/TavemoLayers.cmake)

# The layer of a folder relative to ROOT, remembered per folder.
macro(layer_of_folder var folder)
  string(MAKE_C_IDENTIFIER "layer_of_${folder}" key)
  if(NOT DEFINED ${key})
    tavemo_layer_of(${key} "${folder}/")
  endif()
  set(${var} "${${key}}")
endmacro()

tavemo_layer_top_folders(top_folders)
set(files "")
foreach(top IN LISTS top_folders)
  file(GLOB_RECURSE found RELATIVE ${ROOT} ${ROOT}/${top}/*.h ${ROOT}/${top}/*.cpp)
  list(APPEND files ${found})
endforeach()

set(failures "")
foreach(rel IN LISTS files)
  get_filename_component(dir "${rel}" DIRECTORY)
  layer_of_folder(from "${dir}")
  if(from STREQUAL "")
    continue()
  endif()
  file(STRINGS "${ROOT}/${rel}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "include[ \t]*([<\"])([^>\"]*)[>\"]")
      continue()
    endif()
    set(quoted "${CMAKE_MATCH_1}")
    set(path "${CMAKE_MATCH_2}")
    if(path MATCHES "(^|/)\\.\\.(/|$)")
      list(APPEND failures "${rel}: ${line} (a \"../\" path: name the header from the source root)")
      continue()
    endif()
    # A quote include is looked up first beside the including file.
    set(target "${path}")
    if(quoted STREQUAL "\"" AND EXISTS "${ROOT}/${dir}/${path}" AND NOT IS_DIRECTORY "${ROOT}/${dir}/${path}")
      set(target "${dir}/${path}")
    endif()
    get_filename_component(target_dir "${target}" DIRECTORY)
    layer_of_folder(to "${target_dir}")
    if(NOT to STREQUAL "" AND NOT to IN_LIST TAVEMO_LAYER_SEES_${from})
      list(APPEND failures "${rel}: ${line} (the ${from} layer may not include the ${to} layer's ${target})")
    endif()
  endforeach()
endforeach()
if(failures)
  string(REPLACE ";" "\n  " text "${failures}")
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
