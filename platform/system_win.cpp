#include <windows.h>

#include <stdlib.h>

#include "platform/system.h"

namespace platform {

uint32_t currentThreadId() { return GetCurrentThreadId(); }

bool threadIsAlive(uint32_t threadId) {
  if (threadId == 0) return false;
  // The wait below needs SYNCHRONIZE: without it WaitForSingleObject fails
  // and every thread, this one included, would look gone.
  HANDLE h = OpenThread(SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId);
  if (!h) h = OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, threadId);
  if (!h) return false;
  // Identifiers are reused system-wide: one that now names a thread of
  // another process is not ours, and so is gone.
  DWORD code = 0;
  const bool alive = GetProcessIdOfThread(h) == GetCurrentProcessId() && GetExitCodeThread(h, &code) &&
                     code == STILL_ACTIVE && WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
  CloseHandle(h);
  return alive;
}

uint32_t processorCount() {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  return si.dwNumberOfProcessors ? si.dwNumberOfProcessors : 1u;
}

void sleepMs(uint32_t ms) { Sleep(ms); }

int64_t monotonicNow100ns() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const int64_t q = now.QuadPart / freq.QuadPart;
  const int64_t r = now.QuadPart % freq.QuadPart;
  return q * 10000000 + r * 10000000 / freq.QuadPart;
}

void setEnvironmentVariable(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }

}  // namespace platform
