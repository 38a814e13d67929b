# One cycle of the agent through secsvc-host under valgrind's memcheck: no
# memory error, and no block definitely lost once the host has unloaded the
# library (its process-wide objects go with it).
# -DVALGRIND=valgrind -DHOST=secsvc-host -DPLUGIN=libvdiendpoint.so -DDEMO=examples/demo -DWORK=scratch
file(REMOVE_RECURSE ${WORK})
file(COPY ${DEMO}/ DESTINATION ${WORK}/machine)
execute_process(
  COMMAND ${VALGRIND} -q --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=3
          --child-silent-after-fork=yes ${HOST} --plugin ${PLUGIN} --machine ${WORK}/machine --run-for 3
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "valgrind reports errors or definite leaks (exit ${rc}):\n${err}")
endif()
# The run did the agent's job, so the check covers a whole cycle.
file(GLOB_RECURSE documents "${WORK}/machine/drive_c/*.vdi")
if(NOT documents)
  message(FATAL_ERROR "no cycle ran: no document was written\n${out}${err}")
endif()
message("valgrind_run: clean after a cycle")
