# The whole agent under Wine: secsvc-host runs the plug-in for a few seconds
# in a Wine prefix of this test's own, whose registry holds a Citrix session
# imported with Wine's "reg import", and with the test uploader qbupload.exe
# in the host's working directory, where ShellExecuteExA finds "qbupload".
# Checks the first cycle's hand-off: the agent's log, the one document in
# the upload directory byte for byte, what the uploader was given and saw,
# and nothing left in the data directory.
# -DHOST=secsvc-host.exe -DPLUGIN=vdiendpoint.dll -DUPLOADER=qbupload.exe
# -DFIXTURE=the .reg file -DWORK=scratch folder (the prefix is made there)
# Skipped only where the kernel cannot run Wine's 32-bit loader; a Wine that
# is missing or broken otherwise fails the test. A passing run removes its
# prefix (some 600 MB); a failing one leaves it for a look.
# With the policies of 3.25, file(GLOB_RECURSE) does not follow the symbolic
# links Wine makes from the prefix's user folders into $HOME.
cmake_minimum_required(VERSION 3.25)
set(no_ia32 "this machine cannot run 32-bit Wine (no IA-32 execution)")
execute_process(COMMAND wine --version RESULT_VARIABLE wine_rc OUTPUT_VARIABLE probe ERROR_VARIABLE probe
                INPUT_FILE /dev/null)
if(NOT wine_rc EQUAL 0)
  if(probe MATCHES "Exec format error")
    message("wine_cycle: skipped: ${no_ia32}")
    return()
  endif()
  message(FATAL_ERROR "Wine does not start: ${probe}")
endif()

set(prefix ${WORK}/prefix)
set(ENV{WINEPREFIX} ${prefix})
set(ENV{WINEARCH} win32)
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
# Wine takes the ANSI code page, in which the agent writes its log, from the
# locale: Windows-1252, whose curly quotes the log's "Execute" lines hold.
set(ENV{LC_ALL} en_US.ISO-8859-1)
if(NOT DEFINED ENV{HOME})
  set(ENV{HOME} ${WORK})
endif()
# What the agent reports on standard error is checked below: no traces.
unset(ENV{TNW_TRACE})
unset(ENV{TNW_TRACE_FILE})
unset(ENV{TNW_NO_ERROR_SERVICE})

# Every Wine command runs with its streams on files: Wine's services inherit
# them and would hold a pipe open long after the command.
function(wine_run log)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc INPUT_FILE /dev/null
                  OUTPUT_FILE ${WORK}/${log}.out ERROR_FILE ${WORK}/${log}.err TIMEOUT 240)
  set(wine_rc ${rc} PARENT_SCOPE)
endfunction()

# A server left by an aborted earlier run serves that prefix's folder; a new
# folder could reuse its inode, and with it the old server's registry.
if(EXISTS ${prefix})
  execute_process(COMMAND wineserver -k INPUT_FILE /dev/null OUTPUT_QUIET ERROR_QUIET)
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/run)

wine_run(boot wineboot -i)
file(READ ${WORK}/boot.err boot_err)
if(NOT wine_rc EQUAL 0 AND boot_err MATCHES "Exec format error")
  message("wine_cycle: skipped: ${no_ia32}")
  return()
endif()
if(NOT wine_rc EQUAL 0)
  message(FATAL_ERROR "wineboot failed (${wine_rc}): ${boot_err}")
endif()
wine_run(boot-wait wineserver -w)

function(windows_path out path)
  string(REPLACE "/" "\\" p "${path}")
  set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()

windows_path(fixture_win ${FIXTURE})
wine_run(import wine reg import ${fixture_win})
if(NOT wine_rc EQUAL 0)
  file(READ ${WORK}/import.err err)
  message(FATAL_ERROR "wine reg import ${FIXTURE} failed (${wine_rc}): ${err}")
endif()

# Where Wine's C: keeps what the agent writes: its log below "TempDirectory",
# its data directory and the suite's upload base below "CommonAppDataFolder".
set(drive_c ${prefix}/drive_c)
set(log ${drive_c}/TEMP/Tarnwell/vdi.log)
set(uploads_win "C:\\ProgramData\\Tarnwell Corp\\Tarnwell\\Common\\Uploads")
set(rule_dir "${drive_c}/ProgramData/Tarnwell Corp/Tarnwell/Common/Uploads/VdiAccess")
set(data_dir "${drive_c}/ProgramData/Tarnwell Corp/Tarnwell/VDI Endpoint Agent/VDIData")

file(COPY_FILE ${UPLOADER} ${WORK}/run/qbupload.exe)
windows_path(run_win ${WORK}/run)
windows_path(record_win ${WORK}/qbupload.record)
set(ENV{QBUPLOAD_UPLOADS} "${uploads_win}")
set(ENV{QBUPLOAD_RECORD} "${record_win}")
windows_path(plugin_win ${PLUGIN})

# Wine's services come up here, on /dev/null, and not inside the agent's
# three seconds.
execute_process(COMMAND wine cmd /c exit INPUT_FILE /dev/null OUTPUT_QUIET ERROR_QUIET)
string(TIMESTAMP before "%Y%m%dT%H%M%S")
execute_process(COMMAND wine ${HOST} --plugin ${plugin_win} --run-for 3 WORKING_DIRECTORY ${WORK}/run
                RESULT_VARIABLE rc INPUT_FILE /dev/null OUTPUT_FILE ${WORK}/host.out ERROR_FILE ${WORK}/host.err
                TIMEOUT 120)
string(TIMESTAMP after "%Y%m%dT%H%M%S")
# The uploader is not waited for by the agent: the server ends once it and
# every other process of the prefix have.
wine_run(run-wait wineserver -w)
file(READ ${WORK}/host.out out)
file(READ ${WORK}/host.err err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "secsvc-host failed (${rc}):\n${out}${err}")
endif()

# A file's exact bytes (file(READ) drops the CR of each CR LF).
function(read_bytes out path)
  file(READ ${path} hex HEX)
  string(REGEX MATCHALL ".." bytes "${hex}")
  set(text "")
  foreach(byte IN LISTS bytes)
    math(EXPR code "0x${byte}")
    string(ASCII ${code} c)
    string(APPEND text "${c}")
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Wine's WMI has no App-V client namespace: each cycle's collection of the
# applications fails, and the document holds none.
set(invalid_namespace "Error: 0xE1730009 (status 3) Failed to connect to the WMI provider namespace "
    "'root\\microsoft\\appvirt\\client' on server 'localhost': WBEM_E_INVALID_NAMESPACE (0x8004100e)\n")
string(JOIN "" invalid_namespace ${invalid_namespace})
string(FIND "${err}" "${invalid_namespace}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "no report of the missing App-V namespace on standard error:\n${err}")
endif()

# The log: one hand-off, and the uploader started. The log is in the ANSI
# code page: “ and ” are the bytes 0x93 and 0x94.
if(NOT EXISTS ${log})
  message(FATAL_ERROR "no log file at ${log}:\n${out}${err}")
endif()
read_bytes(log_text ${log})
string(ASCII 147 lq)
string(ASCII 148 rq)
set(line "\\[[-A-Za-z0-9:/,. ]+ \\(G, 0\\)\\] {[0-9]+} ")
set(hand_off "${line}Started uploading endpoint data\r\n"
             "${line}About to start uploading file '([^'\r\n]*)'\r\n"
             "${line}Execute ${lq}qbupload -r VdiAccess${rq}\r\n"
             "${line}Execute returned ${lq}Started Successfully${rq}\\. \r\n"
             "${line}Finished uploading endpoint data\r\n")
string(JOIN "" hand_off ${hand_off})
if(NOT log_text MATCHES "${hand_off}")
  message(FATAL_ERROR "the log does not show the hand-off and a started uploader:\n${log_text}")
endif()
set(logged_target "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "Started uploading endpoint data" hand_offs "${log_text}")
list(LENGTH hand_offs hand_off_count)
if(NOT hand_off_count EQUAL 1)
  message(FATAL_ERROR "${hand_off_count} hand-offs in three seconds, where only the first cycle had something new:\n"
                      "${log_text}")
endif()

# Exactly one document anywhere on C:, in the rule's upload directory, under
# the name the log gave: "<user> on <computer> <date-time>.vdi". Wine's LSA
# has no session of the brokering user, so the user is empty.
file(GLOB_RECURSE documents LIST_DIRECTORIES false ${drive_c}/*.vdi)
file(GLOB waiting LIST_DIRECTORIES false "${rule_dir}/*")
if(NOT documents STREQUAL waiting OR NOT waiting MATCHES "^[^;]+$")
  message(FATAL_ERROR "expected one document, in ${rule_dir}; documents on C:: ${documents}; "
                      "in the upload directory: ${waiting}")
endif()
get_filename_component(name "${waiting}" NAME)
if(NOT logged_target STREQUAL "${uploads_win}\\VdiAccess\\${name}")
  message(FATAL_ERROR "the log names '${logged_target}' for the document '${name}'")
endif()
file(READ ${WORK}/qbupload.record record)
if(NOT record MATCHES "\ncomputer: ([^\n]*)\n")
  message(FATAL_ERROR "the uploader recorded no computer name:\n${record}")
endif()
set(computer "${CMAKE_MATCH_1}")
set(stamp "[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9]T[0-9][0-9][0-9][0-9][0-9][0-9]")
if(NOT name MATCHES "^ on (.+) (${stamp})\\.vdi$" OR NOT CMAKE_MATCH_1 STREQUAL computer)
  message(FATAL_ERROR "the document's name '${name}' is not ' on ${computer} <date-time>.vdi'")
endif()
set(written "${CMAKE_MATCH_2}")
if(written STRLESS before OR written STRGREATER after)
  message(FATAL_ERROR "the document's time ${written} lies outside the run (${before} to ${after})")
endif()

# The document: declaration and root on one line, the Citrix values of the
# fixture, no logon session (empty user, domain and time), an empty
# AppVClientInfo, CR LF line ends and nothing more.
set(expected "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
             "<vdiAccess endPointClientName=\"THIN-CLIENT-07\" vdiName=\"VDI-FIN-0042\" vdiDomain=\"corp.example\" "
             "vdiTemplateName=\"Finance Desktops\" userName=\"\" userDomain=\"\" logonTime=\"\" type=\"XenDesktop\">\r\n"
             "\t<AppVClientInfo/>\r\n"
             "</vdiAccess>\r\n")
string(JOIN "" expected ${expected})
read_bytes(document "${waiting}")
if(NOT document STREQUAL expected)
  file(READ "${waiting}" document_hex HEX)
  message(FATAL_ERROR "the document differs; it holds (hex ${document_hex}):\n${document}")
endif()

# The uploader: found in the host's working directory, given the rule's
# arguments, and finding the document complete in the rule's directory.
# Wine's shell makes the command line of the file as the agent names it, in
# quotes, a blank, and the parameters, which bring a blank of their own.
file(SIZE "${waiting}" size)
set(expected_record "program: ${run_win}\\qbupload.exe\n"
                    "command line: \"qbupload\"  -r VdiAccess\n"
                    "arguments: -r VdiAccess\n"
                    "computer: ${computer}\n"
                    "directory: ${uploads_win}\\VdiAccess\n"
                    "file: ${name} (${size} bytes)\n")
string(JOIN "" expected_record ${expected_record})
if(NOT record STREQUAL expected_record)
  message(FATAL_ERROR "the uploader recorded\n${record}\ninstead of\n${expected_record}")
endif()

# Nothing stays behind in the data directory the document was written in.
if(NOT IS_DIRECTORY "${data_dir}")
  message(FATAL_ERROR "no data directory at ${data_dir}")
endif()
file(GLOB left "${data_dir}/*")
if(left)
  message(FATAL_ERROR "the data directory still holds ${left}")
endif()
file(REMOVE_RECURSE ${prefix})
message("wine_cycle: '${name}' handed to qbupload -r VdiAccess")
