# Converts the UTF-8 source INPUT into the code page CHARSET (an iconv name) as OUTPUT. A
# character the code page lacks fails the build: iconv reports where, and OUTPUT is left alone
# so that the next build tries again.
execute_process(COMMAND ${ICONV} -f UTF-8 -t ${CHARSET} ${INPUT}
                OUTPUT_FILE ${OUTPUT}.part
                ERROR_VARIABLE problem
                RESULT_VARIABLE failed)
if(failed)
    file(REMOVE ${OUTPUT}.part)
    string(STRIP "${problem}" problem)
    message(FATAL_ERROR "${INPUT} cannot be written in ${CHARSET}, the code page of its language: "
                        "${problem}")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
