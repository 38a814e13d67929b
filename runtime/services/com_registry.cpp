#include "runtime/services/com_registry.h"

#include "platform/com.h"
#include "platform/library_objects.h"

Win32ComRegistryC& Win32ComRegistryC::instance() {
  static Win32ComRegistryC* registry = platform::library_objects::keep(new Win32ComRegistryC);
  return *registry;
}

uint32_t Win32ComRegistryC::initialise(int32_t model) {
  const int32_t m = model == -1 ? platform::kComApartmentThreaded : model;
  return platform::comInitialize(m) == 0 ? 0 : 0x80004005u;
}

void Win32ComRegistryC::uninitialise() { platform::comUninitialize(); }
