# Checks a built manual page against its program: the page's help block,
# read back as roff shows it, is the program's --help text, and its header
# names the version --version prints. Fails when the page is stale or the
# escaping loses a character (a '-', a '\', a line starting with '.').
#
# In: PROGRAM, NAME, PAGE (the .1 file). Run by CTest (cmake -P).
cmake_minimum_required(VERSION 3.22)
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NAME} --help failed (${rc})")
endif()
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE)
file(READ ${PAGE} page)

string(FIND "${page}" "\n.nf\n" start)
string(FIND "${page}" "\n.fi\n" end)
if(start LESS 0 OR end LESS start)
  message(FATAL_ERROR "${PAGE}: no help block (.nf .. .fi)")
endif()
math(EXPR start "${start} + 5")
math(EXPR length "${end} - ${start}")
string(SUBSTRING "${page}" ${start} ${length} block)
string(REGEX REPLACE "(^|\n)\\\\&" "\\1" block "${block}")
string(REPLACE "\\-" "-" block "${block}")
string(REPLACE "\\e" "\\" block "${block}")
string(REGEX REPLACE "\n$" "" help "${help}")
if(NOT block STREQUAL help)
  message(FATAL_ERROR "${PAGE} differs from ${NAME} --help:\n--- page\n${block}\n--- help\n${help}")
endif()
string(TOUPPER ${NAME} title)
if(NOT page MATCHES "^\\.TH ${title} 1 \"\" \"([^\"]+)\"" OR NOT CMAKE_MATCH_1 STREQUAL version)
  message(FATAL_ERROR "${PAGE}: the header names '${CMAKE_MATCH_1}', ${NAME} --version prints '${version}'")
endif()
if(NOT version MATCHES "^${NAME} [0-9]+\\.[0-9]+\\.[0-9]+(\\+git[0-9]+\\.[0-9a-f]+)?$")
  message(FATAL_ERROR "${NAME} --version printed '${version}', not '${NAME} VERSION'")
endif()
