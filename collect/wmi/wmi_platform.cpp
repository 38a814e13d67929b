#include "collect/wmi/wmi_platform.h"

#include "platform/com.h"

const WmiPlatformC& defaultWmiPlatform() {
  static const WmiPlatformC table{platform::comInitialize, platform::comUninitialize,
                                  platform::wmi::initializeSecurity, platform::wmi::createLocator};
  return table;
}
