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

#include "plugin/monitor/monitor_host.h"
#include "plugin/security_service_plugin.h"
#include "runtime/threads/condition.h"
#include "runtime/locks/spin_lock.h"

class VDIEndpointPluginC final : public SecurityServicePluginI, public MonitorHostI {
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
  // thread holds it), prepares the agent, creates the monitor and hands the
  // start lock to the monitor thread. 1 when the monitor could not be
  // initialised or its thread could not be created (nothing runs then).
  int32_t Start() override;
  // Clears the running word, wakes the monitor and waits until its thread
  // has ended (left this library's code, so the host may unload it next);
  // returns at once when nothing runs. A run that a Start on another host
  // thread begins while this Stop waits is not waited for.
  int32_t Stop() override;
  int32_t Reserved7() override;
  bool Reserved8(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) override;
  void Reserved9(uint32_t, uint32_t) override;
  void Reserved10(uint32_t, uint32_t) override;

  // Stop from the library's process detach: the start-lock rule only (the
  // loader lock is held: waiting for a thread to end would deadlock). When
  // the process is ending, lock owners that no longer run are not waited
  // for (Windows has ended every other thread before the last detach).
  void stopForDetach(bool processEnding);

  // MonitorHostI, for the monitor thread.
  bool running() const override { return running_.load() != 0; }
  SpinLockWord& startLock() override { return startLock_; }
  SpinLockWord& conditionLock() override { return conditionLock_; }
  ConditionC& monitorCondition() override { return monitorCondition_; }
  VDIEndpointMonitor* monitor() const override { return monitor_.load(); }
  VDIEndpointMonitor* takeMonitor() override { return monitor_.exchange(nullptr); }

  SecurityServiceHostI* host() const { return host_; }

 private:
  // takeOverGoneOwner: a start lock whose owner no longer runs is taken
  // over instead of waited for (process end).
  void stopWith(bool takeOverGoneOwner, bool awaitThread);
  // releaseCom: the start took its reference of the COM registry.
  int32_t failStart(bool releaseCom);

  SecurityServiceHostI* host_;
  SpinLockWord startLock_{0};
  SpinLockWord conditionLock_{0};
  ConditionC monitorCondition_;
  std::atomic<uint32_t> running_{0};
  // Counts the runs begun (after their running word was set): a Stop that
  // sees it move while it waits knows that the run it ended is over and that
  // the new one began after it.
  std::atomic<uint32_t> runs_{0};
  std::atomic<VDIEndpointMonitor*> monitor_{nullptr};
  // The run's thread (owned by the thread framework) and its identifier,
  // for Stop to wait for its end; null when no run was started.
  std::atomic<const void*> runThread_{nullptr};
  std::atomic<uint32_t> runThreadId_{0};
  bool skipStopInDestructor_ = false;
};
