# vdidryrun as an administrator meets it, on copies of the demo machine.
# -DVDIDRYRUN=the tool -DDEMO=examples/demo -DWORK=scratch -DCASE=one of:
#   demo            the demo's document on stdout, nothing on stderr, and
#                   nothing written, moved or launched
#   missing-value   Citrix values missing: exit 1, the missing one named
#   arguments       usage and exit status 2
#   full-output     a standard output that takes nothing: exit 1, said so

file(REMOVE_RECURSE ${WORK})
file(COPY ${DEMO}/ DESTINATION ${WORK}/machine)
file(MAKE_DIRECTORY ${WORK}/cwd)
# An uploader first on PATH that leaves a mark when it is started.
file(WRITE ${WORK}/tools/qbupload "#!/bin/sh\necho \"$@\" > '${WORK}/launched'\n")
file(CHMOD ${WORK}/tools/qbupload PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# Every file and folder below `dir`, files with their sizes.
function(listing dir out)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${dir} ${dir}/*)
  list(SORT entries)
  set(text "")
  foreach(e IN LISTS entries)
    if(IS_DIRECTORY ${dir}/${e})
      string(APPEND text "${e}/\n")
    else()
      file(SIZE ${dir}/${e} size)
      string(APPEND text "${e} ${size}\n")
    endif()
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Runs the tool in an empty folder, with the agent's traces at their
# default and the uploader above on PATH; sets rc, out and err (the trace
# lines' time and process id taken out).
function(dry_run)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=TNW_TRACE --unset=TNW_TRACE_FILE --unset=TNW_DRIVE_C
            "PATH=${WORK}/tools:$ENV{PATH}" ${VDIDRYRUN} ${ARGN}
    WORKING_DIRECTORY ${WORK}/cwd RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REGEX REPLACE "[0-9]+-[0-9]+-[0-9]+ [0-9:.]+ \\[[0-9]+\\] " "" err "${err}")
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}:\n--- got\n${actual}\n--- expected\n${expected}")
  endif()
endfunction()

# Nothing changed in the machine root or the working folder, nothing launched.
function(expect_untouched before)
  listing(${WORK}/machine after)
  expect("the machine root changed" "${after}" "${before}")
  listing(${WORK}/cwd written)
  expect("files in the working folder" "${written}" "")
  if(EXISTS ${WORK}/launched)
    file(READ ${WORK}/launched how)
    message(FATAL_ERROR "the uploader was launched: ${how}")
  endif()
endfunction()

set(no_document
    "vdidryrun: the Citrix VDI endpoint information could not be collected: the agent would write no document\n")

if(CASE STREQUAL "demo")
  listing(${WORK}/machine before)
  dry_run(--machine ${WORK}/machine)
  set(app "\t\t<VirtualDesktopApplicationUsage Name=")
  string(CONCAT expected
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><vdiAccess endPointClientName=\"THIN-CLIENT-07\" "
    "vdiName=\"VDI-FIN-0042\" vdiDomain=\"corp.example\" vdiTemplateName=\"Finance Desktops\" "
    "userName=\"Ada Lovelace\" userDomain=\"CORP\" logonTime=\"20261210T083005\" type=\"XenDesktop\">\n"
    "\t<AppVClientInfo>\n"
    "${app}\"Ledger Pro\" Version=\"12.4.0.1\" PackageGUID=\"{A1C3E8F0-2B44-4D1A-8E55-7A9B0C1D2E3F}\" "
    "LastLaunchOnSystem=\"20261210T093512+0100\" AccessMode=\"App-V\"/>\n"
    "${app}\"Chart Studio\" Version=\"3.1\" PackageGUID=\"{77B1D0E2-9C3A-4F65-B2D8-1E0A9F8C7B6D}\" "
    "LastLaunchOnSystem=\"20261210T084410Z\" AccessMode=\"App-V\"/>\n"
    "${app}\"Mail Desk\" Version=\"8.0.2\" PackageGUID=\"{3C4D5E6F-7A8B-4C9D-8E0F-1A2B3C4D5E6F}\" "
    "LastLaunchOnSystem=\"20261210T101502+0100\" AccessMode=\"App-V\"/>\n"
    "\t</AppVClientInfo>\n"
    "</vdiAccess>\n")
  expect("the exit status" "${rc}" "0")
  expect("the document" "${out}" "${expected}")
  expect("the messages of a healthy machine" "${err}" "")
  expect_untouched("${before}")
  message("vdidryrun: the demo's document, nothing written")

elseif(CASE STREQUAL "missing-value")
  # The user's SID is there, the client's name (and the rest) is not: the
  # agent's log names the first missing value.
  file(WRITE ${WORK}/machine/registry/20-citrix.reg
       "Windows Registry Editor Version 5.00\r\n\r\n"
       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues]\r\n"
       "\"BrokeringUserSID\"=\"S-1-5-21-1-2-3-1013\"\r\n")
  listing(${WORK}/machine before)
  dry_run(--machine ${WORK}/machine)
  expect("the exit status" "${rc}" "1")
  expect("the standard output" "${out}" "")
  string(CONCAT expected
    "vdidryrun: agent log (S, 5): Citrix VDI endpoint information 'endPointClientName' is not found.\n"
    "VDIEndpointMonitor/VDIEndpoint/Agent: Failed to collect Cittrix VDI info.\n${no_document}")
  expect("the messages" "${err}" "${expected}")
  expect_untouched("${before}")

  # No Citrix value at all: the collector has no message of its own.
  file(REMOVE ${WORK}/machine/registry/20-citrix.reg)
  listing(${WORK}/machine before)
  dry_run(--machine ${WORK}/machine)
  expect("the exit status" "${rc}" "1")
  expect("the standard output" "${out}" "")
  string(CONCAT expected
    "VDIEndpointMonitor/VDIEndpoint/Agent: Failed to collect Cittrix VDI info.\n"
    "vdidryrun: no Citrix value 'BrokeringUserSID' under HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\"
    "VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues (nor below it)\n${no_document}")
  expect("the messages" "${err}" "${expected}")
  expect_untouched("${before}")
  message("vdidryrun: the missing values named")

elseif(CASE STREQUAL "arguments")
  dry_run(--help)
  expect("--help's exit status" "${rc}" "0")
  string(FIND "${out}" "usage: vdidryrun [--machine DIR]\n" at)
  expect("--help's text" "${at}" "0")
  foreach(bad "--machine" "--machine;${WORK}/no-such-folder" "--once" "${WORK}/machine")
    dry_run(${bad})
    expect("the exit status of '${bad}'" "${rc}" "2")
    expect("the standard output of '${bad}'" "${out}" "")
    string(FIND "${err}" "\nusage: vdidryrun [--machine DIR]\n" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "no usage for '${bad}':\n${err}")
    endif()
    string(SUBSTRING "${err}" 0 ${at} problem)
    list(APPEND problems "${problem}")
  endforeach()
  expect("the problems named" "${problems}"
         "vdidryrun: --machine takes a folder;vdidryrun: '${WORK}/no-such-folder' is not a folder;vdidryrun: unknown option '--once';vdidryrun: unexpected argument '${WORK}/machine'")
  message("vdidryrun: bad arguments refused")

elseif(CASE STREQUAL "full-output")
  listing(${WORK}/machine before)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=TNW_TRACE "PATH=${WORK}/tools:$ENV{PATH}"
            ${VDIDRYRUN} --machine ${WORK}/machine
    WORKING_DIRECTORY ${WORK}/cwd OUTPUT_FILE /dev/full RESULT_VARIABLE rc ERROR_VARIABLE err)
  expect("the exit status" "${rc}" "1")
  # ENOSPC (28) as the XML stream's errno form.
  expect("the messages" "${err}" "vdidryrun: the document could not be written to standard output (0x8007001C)\n")
  expect_untouched("${before}")
  message("vdidryrun: an unwritable output reported")

else()
  message(FATAL_ERROR "unknown CASE '${CASE}'")
endif()
