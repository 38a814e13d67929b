#include "plugin/monitor/vdi_endpoint_monitor_thread.h"

#include "config/context/process_context.h"
#include "log/log_manager.h"
#include "plugin/monitor/vdi_endpoint_monitor.h"
#include "plugin/prefs/vdi_endpoint_ag_prefs.h"
#include "runtime/services/com_registry.h"

namespace {

constexpr int32_t kDefaultDelay = 60;
constexpr int32_t kMaxDelay = 100000;

StringC text(const char* utf8) { return StringC::fromUtf8(utf8); }

void logG(uint32_t id, const char* defaultText, const ArgListC& args = ArgListC()) {
  log_LogManagerC::instance().log('G', 0, id, text(defaultText), args);
}

}  // namespace

VDIEndpointMonitorThreadC::VDIEndpointMonitorThreadC(MonitorHostI& host) : host_(host) {
  if (!hasHandle()) return;
  created_ = SpinLockC::handOver(host_.startLock(), id());
}

int32_t VDIEndpointMonitorThreadC::delaySeconds(const StringC& value) {
  const std::string s = value.toUtf8();
  size_t b = s.find_first_not_of(" \t");
  size_t e = s.find_last_not_of(" \t");
  if (b == std::string::npos) return kDefaultDelay;
  int64_t n = 0;
  for (size_t i = b; i <= e; ++i) {
    if (s[i] < '0' || s[i] > '9') return kDefaultDelay;
    n = n * 10 + (s[i] - '0');
    if (n > kMaxDelay) return kDefaultDelay;
  }
  return static_cast<int32_t>(n);
}

uint32_t VDIEndpointMonitorThreadC::run() {
  SpinLockC::acquire(host_.conditionLock());
  // COM for this thread's WMI work, balanced by the uninitialise at the end.
  Win32ComRegistryC& com = Win32ComRegistryC::instance();
  const bool comUp = com.initialise() == 0;

  // Nothing but Stop may end the run early: whatever the preferences or a
  // cycle meet, the end steps below give back the locks, the monitor and COM.
  try {
    runCycles();
  } catch (...) {
  }
  try {
    logG(0xE1B30009, "{i}Endpoint monitor finished");
    logG(0xE1B30004, "{i}Program exited successfully");
  } catch (...) {
  }

  // The last reported applications still hold WMI proxies: they go while
  // COM is up.
  try {
    if (VDIEndpointMonitor* monitor = host_.takeMonitor()) monitor->release();
  } catch (...) {
  }
  if (comUp) com.uninitialise();
  if (com.release() == 1) com.release();

  SpinLockC::release(host_.startLock());
  SpinLockC::release(host_.conditionLock());
  return 0;
}

void VDIEndpointMonitorThreadC::runCycles() {
  int32_t delay = kDefaultDelay;
  {
    const std::string version = ProcessContextC::current().versionString(6);
    VDIEndpointAgPrefs preferences(StringC(version.data(), static_cast<int32_t>(version.size()), "system-8"));
    preferences.reloadPreferences();
    if (preferences.getBoolean(text("LowProfile"), false)) {
      logG(0xE1B3001F, "{e}Entering low priority mode due to LowProfile preference");
      setLowestPriority();
    }
    delay = delaySeconds(preferences.value(text("Delay")));
  }
  const uint32_t delayMs = static_cast<uint32_t>(delay) * 1000u;

  // A Stop that came before this thread took the condition lock has
  // broadcast to nobody: only the running word tells of it.
  if (delay != 0 && host_.running()) {
    logG(0xE1B30019, "{i}Startup delayed for %1$d seconds due to StartupDelay preference", ArgListC::of(delay));
    uint32_t ms = delayMs;
    host_.monitorCondition().wait(ms, &host_.conditionLock());
  }
  while (host_.running()) {
    try {
      if (VDIEndpointMonitor* monitor = host_.monitor()) monitor->runCycle();
    } catch (...) {
      // The next cycle tries again; the monitor forgot nothing it reported.
    }
    uint32_t ms = delayMs;
    if (host_.running()) host_.monitorCondition().wait(ms, &host_.conditionLock());
  }
}
