# A Stop during the start-up delay ends the run at once, before any cycle.
# -DHOST=secsvc-host -DDEMO=examples/demo -DWORK=scratch
file(REMOVE_RECURSE ${WORK})
file(COPY ${DEMO}/ DESTINATION ${WORK}/machine)
file(WRITE ${WORK}/machine/registry/90-delay.reg
     "Windows Registry Editor Version 5.00\r\n\r\n"
     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\CurrentVersion]\r\n"
     "\"Delay\"=dword:0000003c\r\n")
string(TIMESTAMP before "%s")
execute_process(COMMAND ${HOST} --machine ${WORK}/machine --run-for 1 RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
string(TIMESTAMP after "%s")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "secsvc-host failed (${rc}):\n${out}${err}")
endif()
math(EXPR took "${after} - ${before}")
if(took GREATER 30)
  message(FATAL_ERROR "the Stop waited for the 60-second delay (${took} s)")
endif()
file(READ ${WORK}/machine/drive_c/TEMP/Tarnwell/vdi.log log)
if(NOT log MATCHES "Startup delayed for 60 seconds due to StartupDelay preference.?\n[^\n]*Endpoint monitor finished.?\n[^\n]*Program exited successfully")
  message(FATAL_ERROR "the log does not show the delay followed by the end:\n${log}")
endif()
file(GLOB_RECURSE documents ${WORK}/machine/drive_c/*.vdi)
if(documents)
  message(FATAL_ERROR "a cycle ran inside the delay: ${documents}")
endif()
message("stop_in_delay: no cycle, ${took} s")
