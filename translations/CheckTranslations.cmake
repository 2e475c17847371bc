# Runs lupdate on copies of the committed .ts files and fails when a copy changes: the committed
# file is then not what lupdate makes of the sources (build update_translations and commit it).
# -DCONFIG=<file> sets LUPDATE, OPTIONS, SOURCES, TS_FILES and WORK (a scratch folder).
include(${CONFIG})
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(copies)
foreach(ts IN LISTS TS_FILES)
  get_filename_component(name ${ts} NAME)
  configure_file(${ts} ${WORK}/${name} COPYONLY)
  list(APPEND copies ${WORK}/${name})
endforeach()

execute_process(COMMAND ${LUPDATE} ${OPTIONS} ${SOURCES} -ts ${copies}
    RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lupdate failed (${result}): ${errors}")
endif()

set(stale)
foreach(ts IN LISTS TS_FILES)
  get_filename_component(name ${ts} NAME)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ts} ${WORK}/${name}
      RESULT_VARIABLE differs)
  if(differs)
    execute_process(COMMAND diff -u ${ts} ${WORK}/${name} OUTPUT_VARIABLE diff)
    message("${diff}")
    list(APPEND stale ${ts})
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "not what lupdate makes of the sources: ${stale}; "
                      "build the target update_translations and commit the result")
endif()
