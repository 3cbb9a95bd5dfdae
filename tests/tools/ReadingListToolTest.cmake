# Runs the reading-list tool as a user would: the worked example, standard
# input, bytes that need escaping, and a missing file.
function(run_tool expected_rc)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "${ARGN}: exit ${rc}, expected ${expected_rc}: ${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

run_tool(0 ${TOOL} --title Exemple ${DIR}/worked_example.html)
file(READ ${DIR}/worked_example.json expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "worked example differs:\n${out}\nexpected:\n${expected}")
endif()

run_tool(0 ${TOOL} --title "Pàgina" - INPUT_FILE ${DIR}/worked_example.html)
if(NOT out MATCHES "\"text\":\"Pàgina\",\"kind\":2")
  message(FATAL_ERROR "title from standard input run: ${out}")
endif()

# A quote, a backslash, a tab and the Windows-1252 curly quotes.
string(ASCII 34 92 9 147 120 148 bytes)
file(WRITE ${OUT}/escapes.html "${bytes}")
run_tool(0 ${TOOL} ${OUT}/escapes.html)
string(FIND "${out}" "{\"text\":\"\\\"\\\\\\u0009“X” \",\"kind\":1}" found)
if(found EQUAL -1)
  message(FATAL_ERROR "escaping: ${out}")
endif()

run_tool(2 ${TOOL} ${DIR}/no-such-file.html)
if(NOT err MATCHES "cannot read")
  message(FATAL_ERROR "missing file: ${err}")
endif()
run_tool(2 ${TOOL})
