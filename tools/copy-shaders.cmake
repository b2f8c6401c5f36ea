# Copies the GLSL sources of content/shaders/ into data/, keeping their folders.
file(GLOB_RECURSE shaders RELATIVE ${SOURCE_DIR}/content/shaders
     ${SOURCE_DIR}/content/shaders/*.frag ${SOURCE_DIR}/content/shaders/*.vert)
foreach(shader ${shaders})
  configure_file(${SOURCE_DIR}/content/shaders/${shader} ${DATA_DIR}/${shader} COPYONLY)
endforeach()
