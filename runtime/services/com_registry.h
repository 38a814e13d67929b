// Win32ComRegistryC: the runtime's COM class registry, as far as the agent
// needs it: one process-wide, reference-counted object (created on first use,
// freed at the library's unload) that initialises COM on a calling thread and uninitialises it
// when asked. The plug-in's Start takes a reference and initialises COM on the
// host's thread; the monitor thread releases it when it ends.
//
// Any thread may call; initialise and uninitialise act on the calling thread
// and must be balanced there.
#pragma once

#include <atomic>
#include <cstdint>

class Win32ComRegistryC {
 public:
  static Win32ComRegistryC& instance();

  uint32_t addRef() { return ++refs_; }
  uint32_t release() { return --refs_; }
  uint32_t references() const { return refs_.load(); }

  // model -1 means apartment-threaded. 0, or 0x80004005 when COM refused.
  uint32_t initialise(int32_t model = -1);
  void uninitialise();

 private:
  Win32ComRegistryC() = default;
  std::atomic<uint32_t> refs_{0};
};
