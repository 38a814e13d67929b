// Placeholder until the real back-end lands: every call fails.
#include "platform/wmi.h"
namespace platform::wmi {
uint32_t initializeSecurity(uint32_t, uint32_t, uint32_t) { return kENotImpl; }
uint32_t createLocator(std::unique_ptr<LocatorI>& out) { out.reset(); return kENotImpl; }
}
