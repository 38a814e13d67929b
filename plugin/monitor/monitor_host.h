// What the monitor thread needs of the plug-in that started it: the run's
// locks, its condition, the running word and the monitor of the run. The
// plug-in implements it; the thread knows nothing else of the plug-in.
#pragma once

#include "runtime/locks/spin_lock.h"
#include "runtime/threads/condition.h"

class VDIEndpointMonitor;

class MonitorHostI {
 public:
  // Held by the monitor thread for its whole run; Stop waits for it.
  virtual SpinLockWord& startLock() = 0;
  // Goes with the monitor condition; the thread holds it except while it
  // waits.
  virtual SpinLockWord& conditionLock() = 0;
  virtual ConditionC& monitorCondition() = 0;
  // The running word: the loop goes on while it is set.
  virtual bool running() const = 0;
  // The run's monitor, read without taking a reference (the host keeps one
  // until the thread gives it up with takeMonitor).
  virtual VDIEndpointMonitor* monitor() const = 0;
  // Exchanges the monitor pointer with null and returns what was there,
  // with the host's reference, which the caller now owns.
  virtual VDIEndpointMonitor* takeMonitor() = 0;

 protected:
  ~MonitorHostI() = default;
};
