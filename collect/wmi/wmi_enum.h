// WMIEnumC: a walk over the instances of one class, keeping its service
// alive. Same thread as its service.
#pragma once

#include <cstdint>
#include <memory>

#include "collect/info/ref_count.h"
#include "platform/wmi.h"

class WMIServiceC;
class WMIInstanceC;

class WMIEnumC : public RefCountC {
 public:
  // How long one step waits for the provider: a hung provider must not
  // hold the monitor's cycle (and with it Stop) for ever.
  static constexpr int32_t kNextTimeoutMs = 30000;

  WMIEnumC(std::unique_ptr<platform::wmi::EnumeratorI> enumerator, WMIServiceC* service);
  ~WMIEnumC() override;
  WMIEnumC(const WMIEnumC&) = delete;
  WMIEnumC& operator=(const WMIEnumC&) = delete;

  bool isUsable() const { return enumerator_ != nullptr; }
  platform::wmi::EnumeratorI* enumerator() { return enumerator_.get(); }
  // Drops the enumerator: the walk is over.
  void discard() { enumerator_.reset(); }

  // The next instance; null at the end (no message) and on failure or
  // timeout (reported). The result is recorded as the service's status.
  RefM<WMIInstanceC> next(int32_t timeoutMs = kNextTimeoutMs);

 private:
  std::unique_ptr<platform::wmi::EnumeratorI> enumerator_;
  RefM<WMIServiceC> service_;
};
