#include <cstdlib>

#include "common/machine_root.h"
#include "platform/path.h"

namespace platform {

std::string machineRoot() {
  const char* r = std::getenv(common::kMachineRootVariable);
  return common::machineRootFrom(r ? r : "");
}

std::string nativePath(const std::string& p) {
  std::string out;
  size_t i = 0;
  if (const char letter = driveLetter(p)) {
    const char* c = std::getenv("TNW_DRIVE_C");
    if (letter == 'c' && c && *c)
      out = c;
    else
      out = machineRoot() + "/drive_" + letter;
    i = 2;
    if (i < p.size() && p[i] != '\\' && p[i] != '/') out += '/';
  }
  for (; i < p.size(); ++i) out += p[i] == '\\' ? '/' : p[i];
  return out;
}

}  // namespace platform
