# Starts the agent through secsvc-host on a fresh copy of the demo machine
# and checks the start-up banner in the agent's log file.
# -DHOST=secsvc-host -DPLUGIN=library -DDEMO=examples/demo -DWORK=scratch
# -DVERSION=product version -DBUILD=build number [-DEMULATOR=wine-run.sh]
file(REMOVE_RECURSE ${WORK})
file(COPY ${DEMO}/ DESTINATION ${WORK}/machine)
execute_process(COMMAND ${EMULATOR} ${HOST} --plugin ${PLUGIN} --machine ${WORK}/machine --run-for 0.3
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 77)
  message("banner: skipped: ${err}")
  return()
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "secsvc-host failed (${rc}):\n${out}${err}")
endif()
set(log ${WORK}/machine/drive_c/TEMP/Tarnwell/vdi.log)
if(NOT EXISTS ${log})
  message(FATAL_ERROR "no log file at ${log}:\n${out}${err}")
endif()
file(READ ${log} text)
# CMake reads the file without its carriage returns: lines end in ".?\n".
string(REPEAT "\\*" 60 stars)
set(line "\\[[A-Za-z0-9: ]+ \\(G, 0\\)\\] {[0-9]+} ")
# The five lines, in this order, as the first thing the fresh log holds.
set(expected "^${line}${stars}.?\n"
             "${line}Program version is 'VDI Endpoint Monitor ${VERSION}'.?\n"
             "${line}Program path is '[^'\n]+'.?\n"
             "${line}Program build number is '${BUILD}'.?\n"
             "${line}Endpoint monitor started.?\n")
string(JOIN "" expected ${expected})
if(NOT text MATCHES "${expected}")
  message(FATAL_ERROR "the log does not begin with the banner\n  ${expected}\nit holds:\n${text}")
endif()
message("banner: version ${VERSION}, build ${BUILD}")
