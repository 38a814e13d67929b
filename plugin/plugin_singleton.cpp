#include "plugin/plugin_singleton.h"

namespace plugin_singleton {

SpinLockWord& lock() {
  static SpinLockWord word{0};
  return word;
}

VDIEndpointPluginC*& object() {
  static VDIEndpointPluginC* singleton = nullptr;
  return singleton;
}

}  // namespace plugin_singleton
