// System threads, created suspended as CreateThread(CREATE_SUSPENDED) does.
//
// On Linux a pthread is started at once and waits at a start gate until
// resumeThread; its identifier (gettid) is known before createThread
// returns. Terminating a thread that has not been resumed releases it from
// the gate without running its entry. A thread that already runs cannot be
// ended safely from outside on Linux (there is no TerminateThread): the
// request is refused with kErrorAccessDenied and the caller decides.
#pragma once

#include <cstdint>

#include "platform/win32_error.h"

namespace platform {

using ThreadEntryFn = uint32_t (*)(void* arg);
using ThreadHandle = void*;

// Null on failure, with the Win32 error in *error.
ThreadHandle createThread(ThreadEntryFn entry, void* arg, uint32_t* id, uint32_t* error);
// ResumeThread: 0, or the Win32 error (kErrorInvalidHandle on Linux for a
// thread that was terminated before it ran).
uint32_t resumeThread(ThreadHandle thread);
// TerminateThread(thread, exitCode): 0, or the Win32 error
// (kErrorInvalidParameter when the thread has already ended).
uint32_t terminateThread(ThreadHandle thread, uint32_t exitCode);
// Waits for the thread's end (kInfinite: for ever); true when it ended.
bool waitForThread(ThreadHandle thread, uint32_t ms);
// CloseHandle. On Linux the thread is detached if it still runs.
void closeThread(ThreadHandle thread);
// A real handle to the calling thread (DuplicateHandle of
// GetCurrentThread); only closeThread and waitForThread use it.
ThreadHandle duplicateCurrentThread();
// THREAD_PRIORITY_LOWEST; on Linux the nicest priority of that one thread.
// 0, or the Win32 error.
uint32_t setLowestPriority(ThreadHandle thread);

}  // namespace platform
