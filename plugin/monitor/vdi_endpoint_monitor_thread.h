// VDIEndpointMonitorThreadC: the thread that runs the monitor's cycles.
//
// It applies "LowProfile" (the lowest priority for this thread only) and
// the start-up delay, then repeats a cycle and a wait of "Delay" seconds on
// the monitor condition until the host's running word is cleared. It holds
// the host's condition lock except while it waits, and owns the host's
// start lock from its construction to the end of its run.
//
// "Delay" that is not a whole number of seconds in 0..100000 counts as 60.
#pragma once

#include <cstdint>

#include "plugin/monitor/monitor_host.h"
#include "runtime/threads/thread.h"

class VDIEndpointMonitorThreadC final : public ThreadC {
 public:
  // Creates the system thread suspended and hands the host's start lock
  // (held by the calling thread) over to it; the caller starts it (once it
  // has noted the thread for Stop). When the system refuses the thread,
  // created() is false and the lock stays the caller's.
  explicit VDIEndpointMonitorThreadC(MonitorHostI& host);

  bool created() const { return created_; }

  uint32_t run() override;

  // The delay of a "Delay" text, in seconds.
  static int32_t delaySeconds(const StringC& text);

 private:
  // The preferences, the start-up delay and the cycles until Stop.
  void runCycles();

  MonitorHostI& host_;
  bool created_ = false;
};
