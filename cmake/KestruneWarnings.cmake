# Warnings for the project's own targets; third-party headers are included as system headers.
add_library(kestrune_warnings INTERFACE)
target_compile_options(kestrune_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
if(KESTRUNE_WERROR)
    target_compile_options(kestrune_warnings INTERFACE -Werror)
endif()
