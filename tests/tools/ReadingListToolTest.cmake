# Runs the reading-list tool as a user would: the worked example, standard
# input, bytes that need escaping, and inputs it refuses with status 2.
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

# A page in UTF-8 keeps its letters.
file(WRITE ${OUT}/greek.html "Ζωή")
run_tool(0 ${TOOL} ${OUT}/greek.html)
string(FIND "${out}" "{\"text\":\"Ζωή \",\"kind\":1}" found)
if(found EQUAL -1)
  message(FATAL_ERROR "UTF-8: ${out}")
endif()

# Refused, each with a message naming the input: what is not there, what is
# not a regular file (a directory, an endless device), and what is too long.
file(WRITE ${OUT}/too-long.html "")
execute_process(COMMAND truncate -s 16777217 ${OUT}/too-long.html)
foreach(input_and_reason
    "${DIR}/no-such-file.html|No such file"
    "${DIR}|not a regular file"
    "/dev/zero|not a regular file"
    "${OUT}/too-long.html|larger than 16777216 bytes")
  string(REPLACE "|" ";" pair "${input_and_reason}")
  list(GET pair 0 input)
  list(GET pair 1 reason)
  run_tool(2 ${TOOL} ${input})
  if(NOT err MATCHES "cannot read ${input}: ${reason}")
    message(FATAL_ERROR "${input}: ${err}")
  endif()
endforeach()
# Standard input beyond the limit is refused too, without reading it all.
run_tool(2 ${TOOL} - INPUT_FILE ${OUT}/too-long.html)
if(NOT err MATCHES "larger than")
  message(FATAL_ERROR "long standard input: ${err}")
endif()
file(REMOVE ${OUT}/too-long.html)
run_tool(2 ${TOOL})
