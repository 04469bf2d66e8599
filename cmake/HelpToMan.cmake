# Writes a program's manual page from its own --help and --version output,
# so that the page and the help cannot drift apart (tests/package checks the
# installed page against the program). Run as a build step (cmake -P).
#
# In: PROGRAM (the built program), NAME, SUMMARY (the NAME line's words),
# OUT (the .1 file; OUT.gz is written beside it).
#
# The help text goes into the page as it is, in a no-fill block, with the
# characters roff treats specially escaped; ManPageHelpText (below) undoes
# that, for the test.
cmake_minimum_required(VERSION 3.22)
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${rc})")
endif()
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version RESULT_VARIABLE rc
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT rc EQUAL 0 OR NOT version MATCHES "^${NAME} ([^ ]+)$")
  message(FATAL_ERROR "${PROGRAM} --version printed '${version}', not '${NAME} VERSION'")
endif()
set(number ${CMAKE_MATCH_1})

set(body "${help}")
string(REPLACE "\\" "\\e" body "${body}")
string(REPLACE "-" "\\-" body "${body}")
# A line that starts with a dot or an apostrophe would be a request.
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" body "${body}")
string(REGEX REPLACE "\n$" "" body "${body}")

string(TOUPPER ${NAME} title)
set(page ".TH ${title} 1 \"\" \"${NAME} ${number}\" \"User Commands\"
.SH NAME
${NAME} \\- ${SUMMARY}
.SH SYNOPSIS
.B ${NAME}
.RI [ options ]
.SH DESCRIPTION
The text of
.B ${NAME} \\-\\-help:
.PP
.nf
${body}
.fi
.SH VERSION
${number}
")
file(WRITE ${OUT}.tmp "${page}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
find_program(GZIP gzip)
execute_process(COMMAND ${GZIP} -9nf -k ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip ${OUT} failed")
endif()
