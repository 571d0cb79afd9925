# project_warnings_apply(target): the warning set every target of ours builds with.
function(project_warnings_apply target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion
                                           -Wshadow -Wcast-align -Wold-style-cast)
  if(WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
