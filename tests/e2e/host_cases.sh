#!/bin/sh
# One case of the agent's whole job through secsvc-host on a copy of the
# demo desktop (Linux machine roots): set the case up, run the host, check
# what reached the upload directory, the data directory and the log.
#   host_cases.sh CASE HOST DEMO WORK
# Prints "host case CASE: ok" on success; any failed check exits 1 with
# what was found.
set -eu
case_name=$1
host=$2
demo=$3
work=$4

machine="$work/machine"
rm -rf "$work"
mkdir -p "$work"
cp -r "$demo" "$machine"
uploads="$machine/drive_c/TEMP/All Users/Tarnwell Corp/Tarnwell/Common/Uploads"
data="$machine/drive_c/TEMP/All Users/Tarnwell Corp/Tarnwell/VDI Endpoint Agent/VDIData"
log="$machine/drive_c/TEMP/Tarnwell/vdi.log"
path="$machine/bin:$PATH"

fail() {
  echo "host case $case_name: $*" >&2
  echo "--- log:" >&2
  cat "$log" >&2 2>/dev/null || true
  echo "--- files:" >&2
  find "$machine/drive_c" -type f >&2
  exit 1
}

# The agent's own registry values for the case, in a later .reg file.
agent_values() {
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\CurrentVersion]\r\n'
    printf '"Delay"=dword:00000001\r\n'
    for v in "$@"; do printf '%s\r\n' "$v"; done
  } > "$machine/registry/90-case.reg"
}

count_documents() { find "$1" -type f -name '*.vdi' 2>/dev/null | wc -l; }
count_lines() { grep -c -F -- "$1" "$log" 2>/dev/null || true; }

run_host() {
  PATH="$path" "$host" --machine "$machine" --run-for "$1" > "$work/host.out" 2>&1 || fail "secsvc-host failed: $(cat "$work/host.out")"
}

case "$case_name" in
  nothing-new)
    # Three cycles, one report.
    agent_values
    run_host 3.5
    [ "$(count_lines 'Started uploading endpoint data')" -eq 1 ] || fail "not exactly one hand-off"
    [ "$(grep -c 'received:' "$machine/qbupload.out")" -eq 1 ] || fail "the uploader did not receive exactly one document"
    [ "$(count_documents "$data")" -eq 0 ] || fail "a document stayed in the data directory"
    ;;
  upload-directory-blocked)
    # A regular file where the upload folders should be.
    agent_values
    mkdir -p "$(dirname "$uploads")"
    echo "in the way" > "$uploads"
    run_host 2.6
    [ "$(count_lines "ERROR: Could not create upload directory 'C:\\TEMP\\All Users\\Tarnwell Corp\\Tarnwell\\Common\\Uploads\\VdiAccess'")" -eq 1 ] ||
      fail "the failure was not logged exactly once"
    [ "$(count_lines 'Started uploading endpoint data')" -ge 2 ] || fail "the next cycle did not write again"
    [ "$(count_documents "$machine/drive_c")" -eq 0 ] || fail "a document that was not handed over stayed behind"
    # The fault gone, a run delivers the complete report.
    rm "$uploads"
    run_host 1.6
    [ "$(grep -c 'received:' "$machine/qbupload.out")" -eq 1 ] || fail "no document after the fault"
    ;;
  uploader-missing)
    agent_values
    path="$PATH"
    run_host 2.6
    [ "$(count_lines 'Execute returned “File Not Found:qbupload -r VdiAccess”. ')" -eq 1 ] || fail "no File Not Found report"
    [ "$(count_documents "$uploads/VdiAccess")" -eq 1 ] || fail "the document does not wait in the upload directory"
    ;;
  disabled)
    agent_values '"Disabled"="True"'
    run_host 2.6
    [ "$(count_lines 'Started uploading endpoint data')" -eq 0 ] || fail "a disabled agent reported"
    [ "$(count_documents "$machine/drive_c")" -eq 0 ] || fail "a disabled agent wrote a document"
    [ "$(count_lines 'Endpoint monitor finished')" -eq 1 ] || fail "the run did not end normally"
    ;;
  two-in-one-name)
    # Day-long document names, no uploader to take them away, and a second
    # report one cycle later: both wait, neither replaced.
    agent_values '"DateTimeFormat"="%Y%m%d"'
    path="$PATH"
    PATH="$path" "$host" --machine "$machine" --run-for 3.5 > "$work/host.out" 2>&1 &
    pid=$!
    i=0
    while [ "$(count_documents "$uploads/VdiAccess")" -lt 1 ]; do
      i=$((i + 1)); [ "$i" -le 100 ] || fail "no first document"; sleep 0.05
    done
    printf '%s\n' '#pragma namespace("\\\\.\\root\\microsoft\\appvirt\\client")' \
      'instance of Application { ApplicationId = "{5}"; Name = "Fifth"; Version = "1"; PackageGUID = "{F5}";' \
      '  LastLaunchOnSystem = "20261210120000.000000+000"; InUse = false; };' > "$machine/wmi/fifth.mof"
    wait "$pid" || fail "secsvc-host failed"
    [ "$(count_documents "$uploads/VdiAccess")" -eq 2 ] || fail "not two documents waiting"
    ls "$uploads/VdiAccess" | grep -q ' (2)\.vdi$' || fail "the second document has no name of its own"
    ;;
  *)
    echo "host case $case_name: unknown case" >&2
    exit 2
    ;;
esac
echo "host case $case_name: ok"
