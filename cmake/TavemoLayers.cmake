# The layers of the tool and what each may include, in one table that the
# build (each library's include directory) and the include scan
# (CheckLayers.cmake) both read.
#
#   core   the toolkit-free core library: no Qt, no header of a Qt layer
#   cli    tavemo-cli's command library, over the core (and the report's PDF)
#   pdf    the report's PDF writer: Qt's GUI module, no widgets, over the core
#   sim    the simulator, over the core
#   form   the Qt form builder (pages/form/): rows into widgets, over the
#          core; below both the configuration pages and the ui/ folders
#   pages  the Qt configuration pages: neither app/ nor a */ui/ folder
#   ui     the Qt pages and dialogs of the other subsystems (their ui/
#          folders): neither app/ nor the Qt configuration pages
#   app    the main window and the shell: everything
#
# Each library's include directory is a folder of the build tree
# (layers/<layer>/) that holds links to its own layer's headers only, under
# their paths from the source root; the libraries below it in the link graph
# add theirs. So an include of a header the layer may not see does not
# compile, however it is spelled (quotes, angle brackets). What include
# directories cannot stop is a quote include that the compiler finds from
# the including file's own folder (a bare "ui/..." in link/, "../x.h");
# the scan catches those.
#
# Usable from a project (tavemo_layer_headers) and from a script (the table).

# TAVEMO_LAYER_FOLDERS_<layer>: the source folders of the layer. A file
# belongs to the layer of the longest of these folders that holds it, at any
# depth: link/ui/ is the ui layer's, link/ and a new link/x/ the core's; a
# ui/ folder anywhere is the ui layer's, unless the table names it for a Qt
# layer of its own.
set(TAVEMO_LAYERS core cli pdf sim form pages ui app)
set(TAVEMO_LAYER_FOLDERS_core model diag link update tools pages/core)
set(TAVEMO_LAYER_FOLDERS_cli tools/cli)
set(TAVEMO_LAYER_FOLDERS_pdf tools/report/ui)
set(TAVEMO_LAYER_FOLDERS_sim sim)
set(TAVEMO_LAYER_FOLDERS_form pages/form)
set(TAVEMO_LAYER_FOLDERS_pages pages)
set(TAVEMO_LAYER_FOLDERS_ui diag/ui link/ui update/ui tools/ui)
set(TAVEMO_LAYER_FOLDERS_app app)
# TAVEMO_LAYER_SEES_<layer>: the layers whose headers it may include. The
# libraries' link graph gives the same (tavemo_form links the core,
# tavemo_pages and tavemo_ui link the form builder, tavemo_app links both);
# the scan reads this list.
set(TAVEMO_LAYER_SEES_core core)
set(TAVEMO_LAYER_SEES_cli core cli pdf)
set(TAVEMO_LAYER_SEES_pdf core pdf)
set(TAVEMO_LAYER_SEES_sim core sim)
set(TAVEMO_LAYER_SEES_form core form)
set(TAVEMO_LAYER_SEES_pages core form pages)
set(TAVEMO_LAYER_SEES_ui core form ui)
set(TAVEMO_LAYER_SEES_app core form pages ui pdf app)

# tavemo_layer_of(VAR PATH): the layer of a path relative to the source root
# (a file, or a folder with a trailing "/"), or "" when no layer holds it.
function(tavemo_layer_of var path)
  set(best "")
  set(best_length 0)
  foreach(layer IN LISTS TAVEMO_LAYERS)
    foreach(folder IN LISTS TAVEMO_LAYER_FOLDERS_${layer})
      string(LENGTH "${folder}" length)
      string(FIND "${path}" "${folder}/" at)
      if(at EQUAL 0 AND length GREATER best_length)
        set(best ${layer})
        set(best_length ${length})
      endif()
    endforeach()
  endforeach()
  # Any other ui/ folder is the ui layer's, a new subsystem's too; a ui/
  # folder the table gives a Qt layer of its own (the report's PDF) stays
  # that layer's.
  if(path MATCHES "(^|/)ui/" AND (best STREQUAL "" OR best STREQUAL "core"))
    set(best ui)
  endif()
  set(${var} "${best}" PARENT_SCOPE)
endfunction()

# tavemo_layer_top_folders(VAR): the top-level source folders of the layers.
function(tavemo_layer_top_folders var)
  set(tops "")
  foreach(layer IN LISTS TAVEMO_LAYERS)
    foreach(folder IN LISTS TAVEMO_LAYER_FOLDERS_${layer})
      string(REGEX REPLACE "/.*" "" top "${folder}")
      list(APPEND tops ${top})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES tops)
  set(${var} ${tops} PARENT_SCOPE)
endfunction()

# tavemo_layer_headers(TARGET LAYER): gives TARGET, and the targets that link
# it, the layer's include folder. The folders of all layers are made at the
# first call of a configure run, afresh: a header added or removed makes the
# build configure again.
function(tavemo_layer_headers target layer)
  get_property(made GLOBAL PROPERTY TAVEMO_LAYERS_MADE)
  if(NOT made)
    foreach(each IN LISTS TAVEMO_LAYERS)
      file(REMOVE_RECURSE ${PROJECT_BINARY_DIR}/layers/${each})
      file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/layers/${each})
    endforeach()
    tavemo_layer_top_folders(tops)
    foreach(top IN LISTS tops)
      file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/${top}/*.h)
      foreach(header IN LISTS headers)
        tavemo_layer_of(owner "${header}")
        if(owner STREQUAL "")
          continue()
        endif()
        set(link ${PROJECT_BINARY_DIR}/layers/${owner}/${header})
        get_filename_component(dir ${link} DIRECTORY)
        file(MAKE_DIRECTORY ${dir})
        # A copy would go stale when the header changes; a link is the file.
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${header} ${link} SYMBOLIC)
      endforeach()
    endforeach()
    set_property(GLOBAL PROPERTY TAVEMO_LAYERS_MADE TRUE)
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_BINARY_DIR}/layers/${layer})
endfunction()
