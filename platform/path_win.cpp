#include "platform/path.h"

namespace platform {

std::string machineRoot() { return std::string(); }

std::string nativePath(const std::string& p) { return p; }

}  // namespace platform
