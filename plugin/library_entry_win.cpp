#include <windows.h>

#include "plugin/library_unload.h"
#include "plugin/plugin_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  // A non-null reserved argument at process detach means the process is
  // ending and Windows has already ended its other threads. A null one is
  // FreeLibrary: the process goes on, and the library's objects go with it
  // once the runtime has run its static destructors (library_unload.h).
  if (reason == DLL_PROCESS_DETACH) {
    pluginDetach(reserved != nullptr);
    if (!reserved) announceLibraryUnload();
  }
  return TRUE;
}
