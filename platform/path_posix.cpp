#include <cstdlib>

#include "platform/path.h"

namespace platform {

std::string machineRoot() {
  const char* r = std::getenv("TNW_MACHINE_ROOT");
  return r && *r ? std::string(r) : std::string("/var/lib/tarnwell");
}

std::string nativePath(const std::string& p) {
  std::string out;
  size_t i = 0;
  if (p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'))) {
    const char letter = static_cast<char>(p[0] | 0x20);
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
