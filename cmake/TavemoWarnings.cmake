# Warnings for the project's own targets; third-party headers come in as
# system includes and stay quiet.
function(tavemo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local -Wno-missing-field-initializers)
endfunction()
