#include "plugin/library_unload.h"
#include "plugin/plugin_entry.h"

namespace {

// Runs at dlclose and at process exit. At exit the other threads may or may
// not still run, so the process-end path is taken: it waits for live lock
// owners and skips those that are gone.
//
// glibc runs the library's exit handlers (its static destructors) before
// this function at process exit, after it at dlclose: announcing the unload
// here frees the kept objects at dlclose only (see library_unload.h).
__attribute__((destructor)) void onLibraryUnload() {
  pluginDetach(true);
  announceLibraryUnload();
}

}  // namespace
