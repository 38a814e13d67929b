#include "runtime/messages/log_module.h"

#include "runtime/services/common_services.h"

bool LogModuleC::enabled() const {
  int32_t* w = word_.load(std::memory_order_acquire);
  if (!w) {
    tnw::ModuleDescriptor d{nullptr, name_};
    w = common_services::logService()->resolve(name_, &d);
    word_.store(w, std::memory_order_release);
  }
  return __atomic_load_n(w, __ATOMIC_RELAXED) != 0;
}

void LogModuleC::traceList(const char* format, const ArgListC& args) const {
  if (!enabled()) return;
  tnw::ModuleDescriptor d{word_.load(std::memory_order_acquire), name_};
  common_services::logService()->trace(name_, &d, StringC::fromUtf8(format).newRef(), args.abi());
}
