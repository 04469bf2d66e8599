# Warnings for the project's own targets; third-party headers come in as
# system includes and stay quiet.
function(tavemo_warnings target)
  # -Wshadow=local is GCC's; clang (the fuzz build) has no such option.
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
                           $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
  endif()
endfunction()
