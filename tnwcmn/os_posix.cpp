#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>

#include "tnwcmn/os.h"

namespace tnw::os {

uint32_t currentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

void utcTime(std::time_t t, std::tm& out) { gmtime_r(&t, &out); }

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

}  // namespace tnw::os
