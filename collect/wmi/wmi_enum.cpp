#include "collect/wmi/wmi_enum.h"

#include "collect/wmi/wmi_errors.h"
#include "collect/wmi/wmi_instance.h"
#include "collect/wmi/wmi_messages.h"
#include "collect/wmi/wmi_service.h"
#include "platform/hresult.h"
#include "runtime/messages/error_report.h"

WMIEnumC::WMIEnumC(std::unique_ptr<platform::wmi::EnumeratorI> enumerator, WMIServiceC* service)
    : enumerator_(std::move(enumerator)), service_(service) {}

// The enumerator's COM reference goes before the service, which may be the
// last thing keeping COM initialised on this thread.
WMIEnumC::~WMIEnumC() { enumerator_.reset(); }

RefM<WMIInstanceC> WMIEnumC::next(int32_t timeoutMs) {
  if (!enumerator_) return RefM<WMIInstanceC>();
  std::unique_ptr<platform::wmi::ClassObjectI> object;
  uint32_t result = enumerator_->next(timeoutMs, object);
  if (result == platform::kWbemSNoError && !object) result = platform::kEPointer;
  RefM<WMIInstanceC> instance;
  if (result == platform::kWbemSNoError) {
    instance = new WMIInstanceC(std::move(object), service_.get());
  } else if (result != platform::kWbemSFalse) {
    raiseError(wmi_messages::kNextFailed, wmi_messages::kNextFailedText, ArgListC::of(wmiErrorText(result), result));
  }
  service_->recordStatus(result);
  return instance;
}
