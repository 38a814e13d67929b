// The library's process-wide objects: created on first use and kept while
// the library is loaded, because a monitor thread, a static destructor or
// the detach path may still reach them at any point before the unload.
// A host that unloads the library (FreeLibrary, dlclose) would otherwise
// leave them unreachable on every unload. Each one is handed to `keep` as
// it is created; the unload hands them all back through `releaseAll`.
//
// keep: any thread (typically inside a function-local static's
// initialisation). releaseAll: only the library's unload, once no thread of
// the agent runs and nothing will ask for these objects again; never at
// process end, when other threads may still be using them.
#pragma once

#include <cstddef>

namespace platform::library_objects {

using DestroyT = void (*)(void*);

// Registers `destroy(object)` for the unload. False when the table is full
// (the object then simply stays for the life of the process).
bool adopt(DestroyT destroy, void* object);

template <class T>
T* keep(T* object) {
  if (object) adopt([](void* p) { delete static_cast<T*>(p); }, object);
  return object;
}

// Destroys every kept object, the last kept first (as static destructors
// run), and empties the table. Returns how many were destroyed.
size_t releaseAll();

// How many objects are kept now.
size_t count();

}  // namespace platform::library_objects
