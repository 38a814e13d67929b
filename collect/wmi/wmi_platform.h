// The system calls the WMI layer makes, as one replaceable table: the
// product uses the platform layer's (defaultWmiPlatform()); tests hand a
// table of their own to WMIServiceC to see what the layer asks and to fail
// any step on demand.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/wmi.h"

struct WmiPlatformC {
  uint32_t (*comInitialize)(int32_t model);
  void (*comUninitialize)();
  uint32_t (*initializeSecurity)(uint32_t authnLevel, uint32_t impLevel, uint32_t capabilities);
  uint32_t (*createLocator)(std::unique_ptr<platform::wmi::LocatorI>& out);
};

// COM and WMI of this system (platform/com.h, platform/wmi.h).
const WmiPlatformC& defaultWmiPlatform();
