# Imports the .reg fixtures into a private Wine prefix with Wine's own
# `reg import`, exports the keys they name with `reg export`, and has
# regdump compare what Wine holds with what the Linux store reads from the
# same files, as content (keys, value names, types, data).
# -DREGDUMP=tool -DWORK=scratch folder -DFIXTURES=file;file;...
# Skipped only where the kernel cannot run Wine's 32-bit loader; a Wine that
# is missing or broken otherwise fails the test.
execute_process(COMMAND wine --version RESULT_VARIABLE wine_rc OUTPUT_VARIABLE probe ERROR_VARIABLE probe
                INPUT_FILE /dev/null)
if(NOT wine_rc EQUAL 0)
  if(probe MATCHES "Exec format error")
    message("regdump_wine: skipped: this machine cannot run 32-bit Wine (no IA-32 execution)")
    return()
  endif()
  message(FATAL_ERROR "Wine does not start: ${probe}")
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{WINEPREFIX} ${WORK}/prefix)
set(ENV{WINEARCH} win32)
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
# REGEDIT4 files are read in the prefix's ANSI code page, which Wine takes
# from the locale: Windows-1252, as the Linux store assumes by default.
set(ENV{LC_ALL} en_US.ISO-8859-1)
if(NOT DEFINED ENV{HOME})
  set(ENV{HOME} ${WORK})
endif()

# Every Wine command runs with its streams on files: Wine's services inherit
# them and would hold a pipe open long after the command.
function(wine_run log)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc INPUT_FILE /dev/null
                  OUTPUT_FILE ${WORK}/${log}.out ERROR_FILE ${WORK}/${log}.err)
  set(wine_rc ${rc} PARENT_SCOPE)
endfunction()

wine_run(boot wineboot -i)
if(NOT wine_rc EQUAL 0)
  file(READ ${WORK}/boot.err err)
  message(FATAL_ERROR "wineboot failed (${wine_rc}): ${err}")
endif()
wine_run(boot-wait wineserver -w)

function(windows_path out path)
  string(REPLACE "/" "\\" p "${path}")
  set(${out} "Z:${p}" PARENT_SCOPE)
endfunction()

set(exports "")
set(baselines "")
set(index 0)
foreach(fixture ${FIXTURES})
  # The keys the file names, read in its own encoding.
  file(READ ${fixture} head LIMIT 2 HEX)
  if(head STREQUAL "fffe")
    file(STRINGS ${fixture} lines ENCODING UTF-16LE)
  else()
    file(STRINGS ${fixture} lines)
  endif()
  set(keys "")
  foreach(line ${lines})
    if(line MATCHES "^\\[([^-][^]]*)\\]")
      list(APPEND keys "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  # What the prefix holds in those keys before the import (Wine keeps values
  # of its own in some, such as Tcpip\Parameters): both sides have it.
  foreach(key ${keys})
    set(out ${WORK}/baseline-${index}.reg)
    windows_path(win_out ${out})
    wine_run(baseline-${index} wine reg export ${key} ${win_out} /y)
    if(wine_rc EQUAL 0)
      list(APPEND baselines ${out})
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  windows_path(win ${fixture})
  wine_run(import-${index} wine reg import ${win})
  if(NOT wine_rc EQUAL 0)
    file(READ ${WORK}/import-${index}.err err)
    message(FATAL_ERROR "wine reg import ${fixture} failed (${wine_rc}): ${err}")
  endif()
  foreach(key ${keys})
    set(out ${WORK}/export-${index}.reg)
    windows_path(win_out ${out})
    wine_run(export-${index} wine reg export ${key} ${win_out} /y)
    if(NOT wine_rc EQUAL 0)
      message(FATAL_ERROR "wine reg export ${key} failed (${wine_rc})")
    endif()
    list(APPEND exports ${out})
    math(EXPR index "${index} + 1")
  endforeach()
  math(EXPR index "${index} + 1")
endforeach()
wine_run(shutdown wineserver -k)

set(ours_files ${baselines} ${FIXTURES})
list(JOIN ours_files "," ours)
list(JOIN exports "," theirs)
execute_process(COMMAND ${REGDUMP} --compare ${ours} ${theirs} RESULT_VARIABLE rc OUTPUT_VARIABLE diff
                ERROR_VARIABLE problems)
# Wine's reg export writes a REG_SZ that was stored without its closing NUL
# as a plain string, which reads back with one: the data gains two bytes.
# That is Wine's export, not the store misreading; any other difference fails.
set(wine_loses "differs: [HKEY_LOCAL_MACHINE\\SOFTWARE\\Fixture\\Every Type] \"Odd\"=hex(1):41,00,42,00 | [HKEY_LOCAL_MACHINE\\SOFTWARE\\Fixture\\Every Type] \"Odd\"=\"AB\"\n")
if(rc EQUAL 1 AND diff STREQUAL wine_loses)
  message("Wine's export adds the closing NUL to a text value stored without one; nothing else differs")
elseif(NOT rc EQUAL 0)
  message(FATAL_ERROR "the Linux store and Wine read the fixtures differently (${rc}):\n${diff}${problems}")
endif()
message("regdump and Wine agree on ${FIXTURES}")
