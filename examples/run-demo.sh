#!/bin/sh
# The agent's main job on a fresh copy of the demo desktop: secsvc-host runs
# the plug-in; its first cycle (after the demo's 2-second "Delay") reports
# the session and the three launched applications; then a fourth
# application is launched on the copy while the agent runs, and the next
# cycle reports that one alone. Shows both documents as the demo uploader
# received them, the agent's log and what the uploader was given.
#   run-demo.sh HOST MACHINE [DEMO]
set -eu
host=$1
machine=$2
demo=${3:-$(dirname "$0")/demo}

rm -rf "$machine"
mkdir -p "$(dirname "$machine")"
cp -r "$demo" "$machine"
machine=$(cd "$machine" && pwd)
sent=""

# Waits until the uploader has received $1 documents (at most 20 s).
received() {
  if [ -f "$machine/qbupload.out" ]; then grep -c 'received:' "$machine/qbupload.out" || true; else echo 0; fi
}

wait_for() {
  i=0
  while [ "$(received)" -lt "$1" ]; do
    i=$((i + 1))
    if [ "$i" -gt 200 ]; then
      echo "run-demo: the uploader did not receive document $1 in time" >&2
      return 1
    fi
    sleep 0.1
  done
}

# The newest document the uploader received.
show_last() {
  name=$(grep 'received:' "$machine/qbupload.out" | sed -n "$1p" | sed 's/^  received: //')
  sent=$(find "$machine/drive_c" -type d -name sent | head -n 1)
  echo "== document $1: $name"
  tr -d '\r' < "$sent/$name"
  echo
}

PATH="$machine/bin:$PATH" "$host" --machine "$machine" --run-for 7 > "$machine/host.out" 2>&1 &
pid=$!
wait_for 1
show_last 1

# A fourth application is launched on the desktop.
cat > "$machine/wmi/fourth.mof" <<'MOF'
#pragma namespace("\\\\.\\root\\microsoft\\appvirt\\client")
instance of Application
{
  ApplicationId = "{1F2E3D4C-5B6A-4978-8695-A4B3C2D1E0F9}";
  Name = "Slide Maker";
  Version = "5.2";
  PackageGUID = "{6B7C8D9E-0F1A-4B2C-9D3E-4F5A6B7C8D9E}";
  LastLaunchOnSystem = "20261210130000.000000+000";
  InUse = true;
};
MOF
echo "== (a fourth application, Slide Maker, is launched)"
echo
wait_for 2
show_last 2
wait "$pid"

echo "== the agent's log: drive_c/TEMP/Tarnwell/vdi.log"
cat "$machine/drive_c/TEMP/Tarnwell/vdi.log"
echo
echo "== what the uploader received: qbupload.out"
cat "$machine/qbupload.out"
