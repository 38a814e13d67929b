// VDIEndpointPluginC: the one plug-in object of the process.
//
// The start lock is the run marker: exactly one thread owns it while a run
// goes on (the starting thread, then the monitor thread for its whole
// life), and Stop waits for it. The condition lock goes with the monitor
// condition; the monitor thread holds it except while it waits, so Stop's
// broadcast can't fall between the thread's test of the running word and
// its wait. Neither lock is recursive.
//
// Every slot catches whatever is thrown inside it: nothing ever unwinds
// into the host.
#pragma once

#include <atomic>
#include <cstdint>

#include "plugin/security_service_plugin.h"
#include "runtime/threads/condition.h"
#include "runtime/locks/spin_lock.h"

class VDIEndpointPluginC final : public SecurityServicePluginI {
 public:
  static constexpr int32_t kBusy = 1234;

  explicit VDIEndpointPluginC(SecurityServiceHostI* host);
  // Stops a run that is still going (waiting for it), then frees.
  ~VDIEndpointPluginC();

  void Destroy(uint32_t flags) override;
  int32_t GetMinApiVersion() override;
  int32_t GetMaxApiVersion() override;
  StringC GetName() override;
  StringC GetDescription() override;
  // Stops a previous run, then takes the start lock (kBusy when another
  // thread holds it).
  int32_t Start() override;
  // Clears the running word, wakes the monitor and waits until its run has
  // ended; returns at once when nothing runs.
  int32_t Stop() override;
  int32_t Reserved7() override;
  bool Reserved8(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) override;
  void Reserved9(uint32_t, uint32_t) override;
  void Reserved10(uint32_t, uint32_t) override;

  // Stop for a process that is ending: locks whose owner thread no longer
  // exists (Windows has ended every other thread before the last process
  // detach) are not waited for; live owners still are.
  void stopAtProcessEnd();

  bool running() const { return running_.load() != 0; }
  SecurityServiceHostI* host() const { return host_; }
  SpinLockWord& startLock() { return startLock_; }
  SpinLockWord& conditionLock() { return conditionLock_; }
  ConditionC& monitorCondition() { return monitorCondition_; }

 private:
  void stopWith(void (*acquire)(SpinLockWord&));

  SecurityServiceHostI* host_;
  SpinLockWord startLock_{0};
  SpinLockWord conditionLock_{0};
  ConditionC monitorCondition_;
  std::atomic<uint32_t> running_{0};
  bool skipStopInDestructor_ = false;
};
