#include "config/registry/conf_var_state.h"

#include "platform/system.h"
#include "runtime/services/common_services.h"

ConfVarStateC::ConfVarStateC(tnw::RegistryContextI* registry, ClockFn clock)
    : registry_(registry ? registry : common_services::registryContext()),
      clock_(clock ? clock : &platform::monotonicNow100ns) {}

ConfVarStateC::~ConfVarStateC() = default;

StringC ConfVarStateC::remoteMachineName() const { return StringC::adopt(registry_->remoteMachineName()); }

bool ConfVarStateC::setAltHive(HiveE which, const StringC& path) {
  const auto i = static_cast<size_t>(which);
  SpinLockGuardC guard(altHiveLock_);
  if (hivePresent_[i]) return false;
  hives_[i] = path;
  hivePresent_[i] = true;
  return true;
}

bool ConfVarStateC::altHive(HiveE which, StringC& out) const {
  const auto i = static_cast<size_t>(which);
  SpinLockGuardC guard(altHiveLock_);
  if (!hivePresent_[i]) return false;
  out = hives_[i];
  return true;
}

void ConfVarStateC::addOverride(const StringC& name, StringArrayC* values) {
  SpinLockGuardC guard(variableLock_);
  overrides_.insert(name, values);
}

StringArrayC* ConfVarStateC::findOverrideLocked(const StringC& name) const {
  auto found = overrides_.find(name);
  return found.valid() ? found.value() : nullptr;
}

bool ConfVarStateC::variableLockHeldByCaller() const {
  return variableLock_.load(std::memory_order_relaxed) == platform::currentThreadId();
}
