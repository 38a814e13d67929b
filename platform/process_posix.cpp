#include <sys/resource.h>
#include <unistd.h>

#include "platform/process.h"

namespace platform {

uint32_t processId() { return static_cast<uint32_t>(getpid()); }

bool processTimes(uint64_t* user, uint64_t* kernel) {
  rusage ru{};
  if (getrusage(RUSAGE_SELF, &ru) != 0) return false;
  if (user) *user = static_cast<uint64_t>(ru.ru_utime.tv_sec) * 10000000 + static_cast<uint64_t>(ru.ru_utime.tv_usec) * 10;
  if (kernel) *kernel = static_cast<uint64_t>(ru.ru_stime.tv_sec) * 10000000 + static_cast<uint64_t>(ru.ru_stime.tv_usec) * 10;
  return true;
}

void localTime(std::time_t t, std::tm& out) { localtime_r(&t, &out); }

void setErrorMode(uint32_t) {}

}  // namespace platform
