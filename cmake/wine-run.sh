#!/bin/sh
# Runs a Windows program under Wine with the build folder's private prefix.
# The prefix lives beside the build (one per build folder) so that tests never
# touch the user's own ~/.wine; it is booted once by the "wineprefix" target.
here=$(pwd)
build=${VDI_WINE_BUILD_DIR:-}
if [ -z "$build" ]; then
  # CTest runs tests from inside the build tree; find its top.
  d=$here
  while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  build=$d
fi
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
if [ ! -f "$WINEPREFIX/.booted" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.booted"
fi
# Wine's services inherit the first Wine process's standard streams; starting
# wineserver detached keeps CTest and Ninja from waiting on them.
wineserver -p >/dev/null 2>&1 </dev/null &
exec wine "$@"
