#include <windows.h>

#include "plugin/plugin_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // A non-null reserved argument at process detach means the process is
  // ending and Windows has already ended its other threads.
  if (reason == DLL_PROCESS_DETACH) pluginDetach(reserved != nullptr);
  return TRUE;
}
