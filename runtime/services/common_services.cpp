#include "runtime/services/common_services.h"

namespace common_services {

namespace {
bool errorOverridden = false;
tnw::ErrorServiceI* errorReplacement = nullptr;
tnw::RegistryServiceI* registryReplacement = nullptr;
}  // namespace

tnw::ErrorServiceI* errorService() {
  if (errorOverridden) return errorReplacement;
  return TnwErrorService(2);
}

tnw::LogServiceI* logService() { return TnwLogService(2); }
tnw::TextServiceI* textService() { return TnwTextService(1); }
tnw::ProcessServiceI* processService() { return static_cast<tnw::ProcessServiceI*>(TnwProcessService(-1)); }
tnw::LocaleServiceI* localeService() { return static_cast<tnw::LocaleServiceI*>(TnwProcessService(-3)); }
tnw::TextProviderI* textProvider() { return static_cast<tnw::TextProviderI*>(TnwProcessService(-2)); }
tnw::RegistryContextI* registryContext() { return TnwRegistryContext(1); }
tnw::RegistryServiceI* registryService() {
  return registryReplacement ? registryReplacement : registryContext()->service();
}

void overrideErrorService(tnw::ErrorServiceI* service, bool absent) {
  errorOverridden = true;
  errorReplacement = absent ? nullptr : service;
}

void restoreErrorService() {
  errorOverridden = false;
  errorReplacement = nullptr;
}

void overrideRegistryService(tnw::RegistryServiceI* service) { registryReplacement = service; }

}  // namespace common_services
