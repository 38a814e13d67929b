#include "platform/library_objects.h"

#include <atomic>

namespace platform::library_objects {

namespace {

// Constant-initialised (constinit), never dynamically: objects are kept
// from other files' static initialisers, which may run before this file's
// would (a dynamic initialisation would then wipe their slots). No
// destructor either: the table outlives every object it holds.
constexpr size_t kCapacity = 128;
struct EntryC {
  std::atomic<DestroyT> destroy{nullptr};
  void* object = nullptr;
};
constinit EntryC table[kCapacity]{};
constinit std::atomic<size_t> reserved{0};

}  // namespace

bool adopt(DestroyT destroy, void* object) {
  const size_t slot = reserved.fetch_add(1);
  if (slot >= kCapacity) {
    reserved.fetch_sub(1);
    return false;
  }
  table[slot].object = object;
  // Published last: releaseAll skips a slot whose owner has not finished.
  table[slot].destroy.store(destroy, std::memory_order_release);
  return true;
}

size_t releaseAll() {
  size_t released = 0;
  // A destructor may keep a new object (a first use during teardown): it
  // lands beyond the walked slots, so the walk repeats until no slot was
  // added meanwhile. Destroyed slots are empty and skipped on the next walk.
  for (size_t end = reserved.load();;) {
    // An adopt that found the table full counts past the capacity for a
    // moment before it gives its slot back.
    for (size_t i = end < kCapacity ? end : kCapacity; i-- > 0;) {
      const DestroyT destroy = table[i].destroy.exchange(nullptr, std::memory_order_acquire);
      void* const object = table[i].object;
      table[i].object = nullptr;
      if (destroy) {
        destroy(object);
        ++released;
      }
    }
    if (reserved.compare_exchange_strong(end, 0)) break;
  }
  return released;
}

size_t count() { return reserved.load(); }

}  // namespace platform::library_objects
