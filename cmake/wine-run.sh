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
# Wine's 32-bit loader needs a kernel that runs IA-32 code; some kernels are
# built or booted without it ("Exec format error"). The Windows products are
# still built and checked; their tests are then reported as skipped (exit
# 77, the tests' SKIP_RETURN_CODE), never as passed.
# A Wine that is missing or broken in any other way is a failure.
if ! probe=$(wine --version </dev/null 2>&1); then
  case "$probe" in
    *"Exec format error"*)
      echo "wine-run: this machine cannot run 32-bit Wine (no IA-32 execution); Windows test skipped" >&2
      [ "${1:-}" = "--boot" ] && exit 0
      exit 77 ;;
  esac
  echo "wine-run: Wine does not start: $probe" >&2
  exit 1
fi
if [ "${1:-}" = "--boot" ]; then
  set -- cmd /c exit
fi
if [ ! -f "$WINEPREFIX/.booted" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
  touch "$WINEPREFIX/.booted"
fi
wineserver -p5 </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
exec wine "$@"
