# Starts the agent through secsvc-host on a fresh copy of the demo machine
# and checks the start-up banner in the agent's log file.
# -DHOST=secsvc-host -DPLUGIN=library -DDEMO=examples/demo -DWORK=scratch
# -DVERSION=product version -DBUILD=build number [-DEMULATOR=wine-run.sh]
file(REMOVE_RECURSE ${WORK})
file(COPY ${DEMO}/ DESTINATION ${WORK}/machine)
# Windows has no machine root: under Wine the agent's C: is the drive_c of
# the prefix that wine-run.sh keeps in the build folder, where every Windows
# run that starts the agent writes the same log (those tests share the
# resource lock "agent_log"). It is removed first, so the run's is fresh.
if(EMULATOR)
  set(drive_c $ENV{VDI_WINE_BUILD_DIR}/wineprefix/drive_c)
else()
  set(drive_c ${WORK}/machine/drive_c)
endif()
set(log ${drive_c}/TEMP/Tarnwell/vdi.log)
file(REMOVE ${log})
execute_process(COMMAND ${EMULATOR} ${HOST} --plugin ${PLUGIN} --machine ${WORK}/machine --run-for 0.3
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 77)
  message("banner: skipped: ${err}")
  return()
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "secsvc-host failed (${rc}):\n${out}${err}")
endif()
if(NOT EXISTS ${log})
  message(FATAL_ERROR "no log file at ${log}:\n${out}${err}")
endif()
file(READ ${log} text)
# CMake reads the file without its carriage returns: lines end in ".?\n".
# The time is strftime's "%c", which each runtime library renders its own
# way ("Fri Dec 11 10:52:59 2026", "12/11/2026 10:52:59 AM").
string(REPEAT "\\*" 60 stars)
set(line "\\[[-A-Za-z0-9:/,. ]+ \\(G, 0\\)\\] {[0-9]+} ")
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
