#include "plugin/vdi_endpoint_plugin.h"

#include "plugin/agent_startup.h"
#include "plugin/plugin_singleton.h"
#include "runtime/services/com_registry.h"

VDIEndpointPluginC::VDIEndpointPluginC(SecurityServiceHostI* host)
    : host_(host), monitorCondition_(StringC("MonitorCondition", "ascii")) {}

VDIEndpointPluginC::~VDIEndpointPluginC() {
  if (!skipStopInDestructor_) Stop();
}

void VDIEndpointPluginC::Destroy(uint32_t flags) {
  if (!(flags & 1)) return;
  {
    SpinLockGuardC guard(plugin_singleton::lock());
    if (plugin_singleton::object() == this) plugin_singleton::object() = nullptr;
  }
  delete this;
}

int32_t VDIEndpointPluginC::GetMinApiVersion() { return 1; }
int32_t VDIEndpointPluginC::GetMaxApiVersion() { return 1; }

StringC VDIEndpointPluginC::GetName() {
  try {
    return StringC("vdiendpoint", "ascii");
  } catch (...) {
    return StringC();
  }
}

StringC VDIEndpointPluginC::GetDescription() {
  try {
    return StringC(u"Tarnwell VDI Endpoint Plugin");
  } catch (...) {
    return StringC();
  }
}

int32_t VDIEndpointPluginC::Start() {
  try {
    Stop();
    if (!SpinLockC::tryAcquire(startLock_)) return kBusy;
    running_.exchange(1);
    {
      AgentStartupC startup;
      // The monitor thread that takes the start lock over (and releases COM
      // when it ends) arrives with the monitor; until then the run ends here,
      // COM is balanced on this thread and the lock is free again.
      if (startup.comStatus() == 0) Win32ComRegistryC::instance().uninitialise();
      Win32ComRegistryC::instance().release();
    }
    SpinLockC::release(startLock_);
    return 0;
  } catch (...) {
    SpinLockC::release(startLock_);
    return 1;
  }
}

void VDIEndpointPluginC::stopWith(void (*acquire)(SpinLockWord&)) {
  try {
    running_.exchange(0);
    acquire(conditionLock_);
    monitorCondition_.broadcast();
    SpinLockC::release(conditionLock_);
    acquire(startLock_);  // the run holds it until its thread ends
    SpinLockC::release(startLock_);
  } catch (...) {
  }
}

int32_t VDIEndpointPluginC::Stop() {
  stopWith(&SpinLockC::acquire);
  return 0;
}

void VDIEndpointPluginC::stopAtProcessEnd() {
  stopWith(&SpinLockC::acquireUnlessOwnerGone);
  skipStopInDestructor_ = true;
}

int32_t VDIEndpointPluginC::Reserved7() { return 0; }
bool VDIEndpointPluginC::Reserved8(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) { return true; }
void VDIEndpointPluginC::Reserved9(uint32_t, uint32_t) {}
void VDIEndpointPluginC::Reserved10(uint32_t, uint32_t) {}
