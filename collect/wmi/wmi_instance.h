// WMIInstanceC: one instance of a class, read property by property as
// text. Same thread as its service.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "collect/info/ref_count.h"
#include "platform/wmi.h"
#include "runtime/strings/string_c.h"

class WMIServiceC;

class WMIInstanceC : public RefCountC {
 public:
  WMIInstanceC(std::unique_ptr<platform::wmi::ClassObjectI> object, WMIServiceC* service);
  ~WMIInstanceC() override;
  WMIInstanceC(const WMIInstanceC&) = delete;
  WMIInstanceC& operator=(const WMIInstanceC&) = delete;

  // The property as text (wmi_value_text.h); a CIM_DATETIME that reads as
  // one comes in the basic ISO form of the date-time values, anything else
  // as WMI gave it. Empty when the property cannot be read (reported) or
  // its type has no text (not reported). The Get result is recorded as the
  // service's status.
  StringC property(const StringC& name);
  // The same with the name's UTF-16 form at hand (for callers that read the
  // same properties of many instances).
  StringC property(const StringC& name, const std::u16string& wideName);
  // The names of the instance's properties (system properties left out),
  // in the class's order; empty when WMI cannot give them (reported as a
  // property that cannot be read, with the name "*").
  std::vector<StringC> propertyNames();

 private:
  std::unique_ptr<platform::wmi::ClassObjectI> object_;
  RefM<WMIServiceC> service_;
};
