#include "runtime/services/dyn_load.h"

#include <cstdint>

DynLoadC::DynLoadC(const std::string& path) {
  if (path.empty()) return;
  handle_ = platform::loadLibrary(path, &error_, &message_);
  // A handle value below 33 is a failure, as LoadLibrary's old contract says.
  if (reinterpret_cast<uintptr_t>(handle_) < 33) {
    if (handle_) platform::freeLibrary(handle_);
    handle_ = nullptr;
  }
}

DynLoadC::~DynLoadC() { platform::freeLibrary(handle_); }

void* DynLoadC::function(const std::string& name) const {
  return handle_ ? platform::findSymbol(handle_, name) : nullptr;
}
