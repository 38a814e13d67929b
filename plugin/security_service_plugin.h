// The interface between the "Security Service" host and its plug-ins.
//
// Slot order is the contract, and both vtables below are laid out as a
// host built with the platform's own compiler sees them: slot 0 of the
// plug-in is its deleting destructor (flags bit 0: free the memory), so the
// C++ destructor is protected and not virtual (a virtual one takes two
// slots under the Itanium ABI). Slots are thiscall on 32-bit Windows.
#pragma once

#include <cstdint>

#include "runtime/strings/string_c.h"

// The object the host passes at creation. Only slots 1 and 2 are called.
class SecurityServiceHostI {
 public:
  virtual void Reserved0() = 0;              // 0: never called
  virtual int32_t GetMinApiVersion() = 0;    // 1
  virtual int32_t GetMaxApiVersion() = 0;    // 2

 protected:
  ~SecurityServiceHostI() = default;
};

class SecurityServicePluginI {
 public:
  virtual void Destroy(uint32_t flags) = 0;  // 0
  virtual int32_t GetMinApiVersion() = 0;    // 1
  virtual int32_t GetMaxApiVersion() = 0;    // 2
  virtual StringC GetName() = 0;             // 3
  virtual StringC GetDescription() = 0;      // 4
  virtual int32_t Start() = 0;               // 5
  virtual int32_t Stop() = 0;                // 6
  virtual int32_t Reserved7() = 0;           // 7
  virtual bool Reserved8(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e) = 0;  // 8
  virtual void Reserved9(uint32_t a, uint32_t b) = 0;   // 9
  virtual void Reserved10(uint32_t a, uint32_t b) = 0;  // 10

 protected:
  ~SecurityServicePluginI() = default;
};

// The exported entry: stdcall with three pointer-sized arguments, exported
// undecorated. VDI_THISCALL names the slots' convention for callers that
// go through a raw vtable. status receives 0, 0xE1960191 (the host's version range
// excludes 1) or 1234 (no plug-in object); reserved is ignored.
#if defined(_WIN32)
#define VDI_PLUGIN_CALL __stdcall
#define VDI_PLUGIN_EXPORT
#define VDI_THISCALL __thiscall
#else
#define VDI_PLUGIN_CALL
#define VDI_PLUGIN_EXPORT __attribute__((visibility("default")))
#define VDI_THISCALL
#endif

extern "C" {
typedef SecurityServicePluginI*(VDI_PLUGIN_CALL* SecurityServicePluginInstanceFn)(int32_t* status,
                                                                                  SecurityServiceHostI* host,
                                                                                  void* reserved);
}
