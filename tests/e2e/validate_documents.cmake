# Every document a run handed over is well-formed XML that validates against
# the document's schema (xmllint, a real parser).
# -DXMLLINT=xmllint -DSCHEMA=docs/vdi-document.xsd -DRUN=machine root of the run
file(GLOB_RECURSE documents "${RUN}/drive_c/*.vdi")
list(LENGTH documents n)
if(n EQUAL 0)
  message(FATAL_ERROR "no documents under ${RUN}")
endif()
foreach(d ${documents})
  execute_process(COMMAND ${XMLLINT} --noout --schema ${SCHEMA} ${d} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${d} does not validate (${rc}):\n${out}${err}")
  endif()
endforeach()
message("${n} documents validate against ${SCHEMA}")
