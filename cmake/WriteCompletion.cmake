# cmake -DPROGRAM=corvane -DOUTPUT=file -P WriteCompletion.cmake: writes the program's bash
# completion script (what "corvane completion bash" prints) to OUTPUT.
execute_process(COMMAND ${PROGRAM} completion bash OUTPUT_FILE ${OUTPUT}.tmp
                RESULT_VARIABLE status ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT}.tmp)
  message(FATAL_ERROR "${PROGRAM} completion bash failed (${status}): ${error}")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
