// Threads' identities, processors, sleeping and clocks, in Windows terms.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// GetCurrentThreadId on Windows; the kernel's thread id (gettid) on Linux.
// Never 0 for a running thread, so 0 can mean "no owner".
uint32_t currentThreadId();

// Whether the thread with this identifier still runs in this process. A
// thread that has ended (or was never there) answers false.
bool threadIsAlive(uint32_t threadId);

// The number of processors (GetSystemInfo), read by the caller once.
uint32_t processorCount();

// Sleep(ms).
void sleepMs(uint32_t ms);
// Sets a variable of this process's environment, as the C runtime's getenv
// reads it (tools pass settings down to the layers below this way).
void setEnvironmentVariable(const char* name, const std::string& value);

// A monotonic clock in 100-nanosecond units; only differences mean anything.
int64_t monotonicNow100ns();

}  // namespace platform
