#!/bin/sh
# Runs a Windows program under Wine with the build folder's private prefix
# (never the user's own ~/.wine). The prefix is booted once.
#
# Wine's services are started by the first Wine process of a server and
# inherit its standard streams; CTest and Ninja would then wait on them for
# as long as they live. So Wine is first started with all three streams on
# /dev/null, under a server that stays a few seconds after its last client,
# and only then is the real program run.
build=${VDI_WINE_BUILD_DIR:-}
if [ -z "$build" ]; then
  d=$(pwd)
  while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  build=$d
fi
export HOME="${HOME:-$build}"
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
if [ ! -f "$WINEPREFIX/.booted" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
  touch "$WINEPREFIX/.booted"
fi
wineserver -p5 </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
exec wine "$@"
