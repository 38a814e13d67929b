#include <windows.h>

#include "platform/process.h"

namespace platform {

uint32_t processId() { return GetCurrentProcessId(); }

bool processTimes(uint64_t* user, uint64_t* kernel) {
  FILETIME created, exited, k, u;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &k, &u)) return false;
  if (user) *user = (static_cast<uint64_t>(u.dwHighDateTime) << 32) | u.dwLowDateTime;
  if (kernel) *kernel = (static_cast<uint64_t>(k.dwHighDateTime) << 32) | k.dwLowDateTime;
  return true;
}

void localTime(std::time_t t, std::tm& out) { localtime_s(&out, &t); }

void setErrorMode(uint32_t mode) { SetErrorMode(mode); }

}  // namespace platform
