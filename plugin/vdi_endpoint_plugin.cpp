#include "plugin/vdi_endpoint_plugin.h"

#include "log/log_manager.h"
#include "plugin/agent_startup.h"
#include "plugin/monitor/vdi_endpoint_monitor.h"
#include "plugin/monitor/vdi_endpoint_monitor_thread.h"
#include "plugin/plugin_singleton.h"
#include "runtime/services/com_registry.h"

VDIEndpointPluginC::VDIEndpointPluginC(SecurityServiceHostI* host)
    : host_(host), monitorCondition_(StringC("MonitorCondition", "ascii")) {}

VDIEndpointPluginC::~VDIEndpointPluginC() {
  if (!skipStopInDestructor_) Stop();
  if (VDIEndpointMonitor* old = monitor_.exchange(nullptr)) old->release();
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

namespace {

void logG(uint32_t id, const char* defaultText) {
  log_LogManagerC::instance().log('G', 0, id, StringC::fromUtf8(defaultText), ArgListC());
}

}  // namespace

int32_t VDIEndpointPluginC::failStart(bool releaseCom) {
  running_.exchange(0);
  if (releaseCom) Win32ComRegistryC::instance().release();
  SpinLockC::release(startLock_);
  return 1;
}

int32_t VDIEndpointPluginC::Start() {
  bool locked = false;
  bool comTaken = false;
  try {
    Stop();
    if (!SpinLockC::tryAcquire(startLock_)) return kBusy;
    locked = true;
    running_.exchange(1);
    runs_.fetch_add(1);  // after the word: see stopWith
    AgentStartupC startup;
    comTaken = true;
    // COM is balanced on each thread: the host's thread gives back what the
    // start took; the monitor thread brings up its own and releases the
    // start's reference when it ends.
    if (startup.comStatus() == 0) Win32ComRegistryC::instance().uninitialise();

    VDIEndpointMonitor* monitor = new VDIEndpointMonitor;
    monitor->addRef();
    if (VDIEndpointMonitor* old = monitor_.exchange(monitor)) old->release();
    bool initialised = false;
    try {
      initialised = monitor->initialise();
    } catch (...) {
      return failStart(true);
    }
    if (!initialised) {
      logG(0xE1B30018, "{e}Endpoint monitor could not be initialized");
      logG(0xE1B30009, "{i}Endpoint monitor finished");
      logG(0xE1B30004, "{i}Program exited successfully");
      return failStart(true);
    }

    auto* thread = new VDIEndpointMonitorThreadC(*this);
    if (!thread->created()) {
      delete thread;
      return failStart(true);
    }
    // Known before the thread runs, so that a Stop from any thread finds it.
    runThreadId_.store(thread->id());
    runThread_.store(thread);
    thread->start();
    thread->releaseToFramework();
    return 0;
  } catch (...) {
    return locked ? failStart(comTaken) : 1;
  }
}

void VDIEndpointPluginC::stopWith(bool takeOverGoneOwner, bool awaitThread) {
  try {
    // A Start on another host thread may have taken the start lock just
    // before this Stop cleared the running word, and set the word just
    // after: its run then holds the lock until some later Stop, and waiting
    // for the lock alone would hang here. Start counts the run after setting
    // the word, and the count is read here before clearing it; so when the
    // count moves during the wait, the run counted is either one this clear
    // reached (it ends by itself) or one that began after this Stop, which
    // is not this Stop's to wait for. The thread of the run this Stop ends
    // is read before the count: a thread stored after that belongs to a run
    // counted in time, which this Stop waits for in full.
    const void* ended = runThread_.load();
    const uint32_t endedId = runThreadId_.load();
    const uint32_t run = runs_.load();
    running_.exchange(0);
    if (takeOverGoneOwner)
      SpinLockC::acquireUnlessOwnerGone(conditionLock_);
    else
      SpinLockC::acquire(conditionLock_);
    monitorCondition_.broadcast();
    SpinLockC::release(conditionLock_);
    // The run holds the start lock until its thread ends.
    if (!SpinLockC::acquireUnless(startLock_, takeOverGoneOwner, [&] { return runs_.load() != run; })) {
      // That run gave the start lock up before the newer one took it, but
      // its thread may still be in this library's code, and nobody else
      // need wait for it: the host may unload the library next.
      if (ended && awaitThread) ThreadC::awaitEnd(static_cast<const ThreadC*>(ended), endedId);
      return;
    }
    SpinLockC::release(startLock_);
    // The thread released the lock as its last step in the agent; what is
    // left of it still runs this library's code. A host may unload the
    // library right after Stop, so wait for the thread itself, unless this
    // is process detach, where waiting for a thread deadlocks on the loader
    // lock. Every Stop that comes meanwhile waits too; the pointer is only
    // compared, never followed (the framework frees the object).
    const void* thread = runThread_.load();
    if (thread && awaitThread) ThreadC::awaitEnd(static_cast<const ThreadC*>(thread), runThreadId_.load());
    runThread_.compare_exchange_strong(thread, nullptr);
  } catch (...) {
  }
}

int32_t VDIEndpointPluginC::Stop() {
  stopWith(false, true);
  return 0;
}

void VDIEndpointPluginC::stopForDetach(bool processEnding) {
  stopWith(processEnding, false);
  skipStopInDestructor_ = true;
}

int32_t VDIEndpointPluginC::Reserved7() { return 0; }
bool VDIEndpointPluginC::Reserved8(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) { return true; }
void VDIEndpointPluginC::Reserved9(uint32_t, uint32_t) {}
void VDIEndpointPluginC::Reserved10(uint32_t, uint32_t) {}
