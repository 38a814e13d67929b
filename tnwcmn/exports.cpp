#include "tnwcmn/os.h"
#include "tnwcmn/services.h"

extern "C" {

tnw::ErrorServiceI* TnwErrorService(int32_t version) {
  if (version != 2 || tnw::os::env("TNW_NO_ERROR_SERVICE") == "1") return nullptr;
  return &tnw::errorService();
}

tnw::LogServiceI* TnwLogService(int32_t) { return &tnw::logService(); }

tnw::TextServiceI* TnwTextService(int32_t) { return &tnw::textService(); }

void* TnwProcessService(int32_t selector) {
  switch (selector) {
    case -1: return &tnw::processService();
    case -2: return &tnw::textProvider();
    case -3: return &tnw::localeService();
    default: return nullptr;
  }
}

tnw::RegistryContextI* TnwRegistryContext(int32_t) { return &tnw::registryContext(); }

}
