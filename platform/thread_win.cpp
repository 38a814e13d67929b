#include <windows.h>

#include "platform/thread.h"
#include "platform/win32_error.h"

namespace platform {

namespace {

struct Start {
  ThreadEntryFn entry;
  void* arg;
};

DWORD WINAPI trampoline(void* p) {
  Start s = *static_cast<Start*>(p);
  delete static_cast<Start*>(p);
  return s.entry(s.arg);
}

}  // namespace

ThreadHandle createThread(ThreadEntryFn entry, void* arg, uint32_t* id, uint32_t* error) {
  auto* start = new Start{entry, arg};
  DWORD tid = 0;
  HANDLE h = CreateThread(nullptr, 0, trampoline, start, CREATE_SUSPENDED, &tid);
  if (!h) {
    if (error) *error = GetLastError();
    delete start;
    return nullptr;
  }
  if (id) *id = tid;
  if (error) *error = 0;
  return h;
}

uint32_t resumeThread(ThreadHandle thread) {
  if (!thread) return kErrorInvalidHandle;
  return ResumeThread(thread) != static_cast<DWORD>(-1) ? kErrorSuccess : GetLastError();
}

uint32_t terminateThread(ThreadHandle thread, uint32_t exitCode) {
  // Whatever `Start` block the thread still owns is lost with it.
  return TerminateThread(thread, exitCode) ? 0 : GetLastError();
}

bool waitForThread(ThreadHandle thread, uint32_t ms) {
  return thread && WaitForSingleObject(thread, ms == kInfinite ? INFINITE : ms) == WAIT_OBJECT_0;
}

void closeThread(ThreadHandle thread) {
  if (thread) CloseHandle(thread);
}

ThreadHandle duplicateCurrentThread() {
  HANDLE h = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &h, 0, FALSE,
                       DUPLICATE_SAME_ACCESS))
    return nullptr;
  return h;
}

uint32_t setLowestPriority(ThreadHandle thread) {
  return SetThreadPriority(thread, THREAD_PRIORITY_LOWEST) ? kErrorSuccess : GetLastError();
}

}  // namespace platform
