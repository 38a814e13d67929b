#include "plugin/library_unload.h"

#include <atomic>
#include <cstdlib>

#include "platform/library_objects.h"
#include "runtime/threads/thread.h"

namespace {

std::atomic<bool> unloading{false};

void releaseAfterStaticDestructors() {
  if (!unloading.load()) return;
  // The main thread's record is always there; any other record is a thread
  // that still runs (or a finished one somebody holds), which may use them.
  if (ThreadC::mapCount() > 1) return;
  platform::library_objects::releaseAll();
}

// Priority 101: before every static initialiser of the library, so the
// handler is the first registered and the last to run.
__attribute__((constructor(101))) void registerRelease() { std::atexit(releaseAfterStaticDestructors); }

}  // namespace

void announceLibraryUnload() { unloading.store(true); }
