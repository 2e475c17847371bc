# CPack pre-build script: drops the .comment and .note sections from the staged ELF files, as
# Debian's dh_strip does; CPack's own stripping has already removed the symbols.
file(GLOB_RECURSE kpf_staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS kpf_staged)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND objcopy --remove-section=.comment --remove-section=.note "${file}"
        COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
