#include "plugin/plugin_entry.h"

namespace {

// Runs at dlclose and at process exit. At exit the other threads may or may
// not still run, so the process-end path is taken: it waits for live lock
// owners and skips those that are gone.
__attribute__((destructor)) void onLibraryUnload() { pluginDetach(true); }

}  // namespace
