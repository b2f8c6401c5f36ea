# Writes the build's version into OUTPUT from TEMPLATE: VERSION, and the abbreviated git commit
# of SOURCE_DIR when it is a git checkout ("-modified" when tracked files differ from it).
set(LIRV_COMMIT "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${SOURCE_DIR}/.git)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
                  OUTPUT_VARIABLE LIRV_COMMIT RESULT_VARIABLE failed
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(failed)
    set(LIRV_COMMIT "")
  else()
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} status --porcelain
                            --untracked-files=no
                    OUTPUT_VARIABLE changes ERROR_QUIET)
    if(NOT changes STREQUAL "")
      string(APPEND LIRV_COMMIT "-modified")
    endif()
  endif()
endif()
set(LIRV_VERSION ${VERSION})
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
