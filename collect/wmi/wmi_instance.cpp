#include "collect/wmi/wmi_instance.h"

#include "collect/wmi/wmi_errors.h"
#include "collect/wmi/wmi_messages.h"
#include "collect/wmi/wmi_service.h"
#include "collect/wmi/wmi_value_text.h"
#include "runtime/messages/error_report.h"

WMIInstanceC::WMIInstanceC(std::unique_ptr<platform::wmi::ClassObjectI> object, WMIServiceC* service)
    : object_(std::move(object)), service_(service) {}

// The object's COM reference goes before the service (see WMIEnumC).
WMIInstanceC::~WMIInstanceC() { object_.reset(); }

StringC WMIInstanceC::property(const StringC& name) {
  return object_ ? property(name, name.toUtf16()) : StringC();
}

StringC WMIInstanceC::property(const StringC& name, const std::u16string& wideName) {
  StringC text;
  if (!object_) return text;
  platform::wmi::VariantC value;
  int32_t cimType = 0;
  const uint32_t result = object_->get(wideName, value, cimType);
  if (result != 0) {
    raiseError(wmi_messages::kGetPropertyFailed, wmi_messages::kGetPropertyFailedText,
               ArgListC::of(name, wmiErrorText(result), result));
  } else {
    // One text object per property: a date-time is re-rendered before it
    // becomes one.
    std::string utf8;
    if (variantToUtf8(value, utf8)) {
      std::string iso;
      text = StringC::fromUtf8(cimType == platform::wmi::kCimDatetime && cimDateTimeToIso(utf8, iso) ? iso : utf8);
    }
  }
  if (service_) service_->recordStatus(result);
  return text;
}

std::vector<StringC> WMIInstanceC::propertyNames() {
  std::vector<StringC> out;
  if (!object_) return out;
  std::vector<std::u16string> names;
  const uint32_t result = object_->names(names);
  if (result != 0) {
    raiseError(wmi_messages::kGetPropertyFailed, wmi_messages::kGetPropertyFailedText,
               ArgListC::of(StringC::fromUtf8("*"), wmiErrorText(result), result));
  } else {
    for (const std::u16string& n : names) out.push_back(StringC(n.data(), static_cast<int32_t>(n.size())));
  }
  if (service_) service_->recordStatus(result);
  return out;
}
