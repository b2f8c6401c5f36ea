# Compresses INPUT into OUTPUT as Debian wants documentation and manual pages compressed:
# gzip -9 without a name or time stamp, so the same input gives the same bytes. The file
# appears whole or not at all.
execute_process(COMMAND gzip -9 -n -c ${INPUT} OUTPUT_FILE ${OUTPUT}.part RESULT_VARIABLE failed)
if(failed)
  file(REMOVE ${OUTPUT}.part)
  message(FATAL_ERROR "${INPUT}: gzip failed (${failed})")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
