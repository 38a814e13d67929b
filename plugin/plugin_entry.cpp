#include "plugin/plugin_entry.h"

#include <new>

#include "plugin/plugin_singleton.h"
#include "plugin/vdi_endpoint_plugin.h"
#include "runtime/messages/error_report.h"
#include "runtime/locks/spin_lock.h"
#include "runtime/threads/thread.h"

namespace {

constexpr uint32_t kApiNotSupported = 0xE1960191;

void setStatus(int32_t* status, uint32_t value) {
  if (status) *status = static_cast<int32_t>(value);
}

}  // namespace

extern "C" VDI_PLUGIN_EXPORT SecurityServicePluginI* VDI_PLUGIN_CALL SecurityServicePluginInstance(int32_t* status,
                                                                                SecurityServiceHostI* host,
                                                                                void*) {
  try {
    if (!host || host->GetMinApiVersion() > 1 || host->GetMaxApiVersion() < 1) {
      raiseError(kApiNotSupported, messageRecord("e", "Security service API version is not supported"),
                 ArgListC::of(StringC()));
      setStatus(status, kApiNotSupported);
      return nullptr;
    }
    SpinLockGuardC guard(plugin_singleton::lock());
    VDIEndpointPluginC*& singleton = plugin_singleton::object();
    if (!singleton) singleton = new (std::nothrow) VDIEndpointPluginC(host);
    if (!singleton) {
      setStatus(status, VDIEndpointPluginC::kBusy);
      return nullptr;
    }
    setStatus(status, 0);
    return singleton;
  } catch (...) {
    setStatus(status, VDIEndpointPluginC::kBusy);
    return nullptr;
  }
}

void pluginDetach(bool processEnding) {
  SpinLockWord& singletonLock = plugin_singleton::lock();
  VDIEndpointPluginC*& singleton = plugin_singleton::object();
  try {
    if (processEnding)
      SpinLockC::acquireUnlessOwnerGone(singletonLock);
    else
      SpinLockC::acquire(singletonLock);
    if (singleton) {
      singleton->stopForDetach(processEnding);
      delete singleton;
      singleton = nullptr;
    }
    SpinLockC::release(singletonLock);
    // Finished threads the framework still holds go with the library.
    ThreadC::reapFinished(false);
  } catch (...) {
    SpinLockC::release(singletonLock);
  }
}

SecurityServicePluginI* pluginSingleton() {
  SpinLockGuardC guard(plugin_singleton::lock());
  return plugin_singleton::object();
}
