# Copies the GLSL sources of content/shaders/ into data/, keeping their folders. Each copy goes to
# a temporary file beside its target first and is renamed into place once whole, so that a full
# disk leaves the old shader as it was; a shader that is already the same is left untouched.
file(GLOB_RECURSE shaders RELATIVE ${SOURCE_DIR}/content/shaders
     ${SOURCE_DIR}/content/shaders/*.frag ${SOURCE_DIR}/content/shaders/*.vert)
foreach(shader ${shaders})
  set(source ${SOURCE_DIR}/content/shaders/${shader})
  set(target ${DATA_DIR}/${shader})
  if(EXISTS ${target})
    file(SHA256 ${source} new)
    file(SHA256 ${target} old)
    if(new STREQUAL old)
      continue()
    endif()
  endif()
  get_filename_component(folder ${target} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  execute_process(COMMAND ${CMAKE_COMMAND} -E copy ${source} ${target}.tmp
                  RESULT_VARIABLE failure ERROR_VARIABLE reason)
  if(failure)
    file(REMOVE ${target}.tmp)
    message(FATAL_ERROR "cannot copy ${source} to ${target} (copy status ${failure}) ${reason}")
  endif()
  file(RENAME ${target}.tmp ${target})
endforeach()
