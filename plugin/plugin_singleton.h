// The process's one plug-in object and the lock that guards it. The
// exported entry creates it, process detach destroys it, and a host that
// frees it through slot 0 (Destroy) forgets it here first, so neither a
// later entry call nor process detach sees a dangling pointer.
#pragma once

#include "runtime/locks/spin_lock.h"

class VDIEndpointPluginC;

namespace plugin_singleton {

// Guards the pointer below; taken by the entry, Destroy and process detach.
SpinLockWord& lock();
// The object, or null. Read and written only under lock().
VDIEndpointPluginC*& object();

}  // namespace plugin_singleton
