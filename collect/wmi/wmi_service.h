// WMIServiceC: one connection to a WMI namespace on one server, with COM
// initialised for it on the calling thread and the connection's security
// set. Failures are reported through the message catalog's error reports
// (the texts of wmi_messages.h) and remembered as the last status.
//
// Lifetime: reference counted (hold it in RefM). Enumerators and instances
// keep their service alive, so COM is uninitialised only after the last of
// them is gone. Threads: the service, its enumerators and instances are
// used on the thread that created the service (its COM apartment) only.
// The layer never throws; each operation answers null, empty or false.
#pragma once

#include <cstdint>
#include <memory>

#include "collect/info/ref_count.h"
#include "collect/wmi/wmi_platform.h"
#include "platform/wmi.h"
#include "runtime/strings/string_c.h"

class WMIEnumC;

// The credentials of a connection: valid once built; with credentials when
// the user names a domain (".\alice": domain ".", user "alice").
struct WMIAuthIdentityC {
  bool valid = false;
  bool hasCredentials = false;
  platform::wmi::AuthIdentityC record;  // lengths are the texts' sizes, without terminator
};

class WMIServiceC : public RefCountC {
 public:
  // Initialises COM (apartment-threaded; a thread already in another model
  // is used as it is), sets the process's COM security and, when both
  // succeeded, connects to \\server\nameSpace. An empty user or password is
  // passed as none; a user without "\" is a local account of the target
  // (".\" is put before it). `system` is the table of system calls (it must
  // outlive the service).
  WMIServiceC(const StringC& server, const StringC& nameSpace, const StringC& user, const StringC& password,
              const WmiPlatformC& system = defaultWmiPlatform());
  ~WMIServiceC() override;
  WMIServiceC(const WMIServiceC&) = delete;
  WMIServiceC& operator=(const WMIServiceC&) = delete;

  bool isConnected() const { return services_ != nullptr; }

  // The instances of exactly this class (no subclasses); null when not
  // connected (status untouched) or on failure (reported).
  RefM<WMIEnumC> enumerateClass(const StringC& className);

  // The last result recorded: a COM/WMI result code, or the identifier of
  // one of the four catalogued connection messages that stand for
  // 0x800706BA, 0x80070005, WBEM_E_ACCESS_DENIED and WBEM_E_INVALID_NAMESPACE.
  uint32_t status() const { return status_; }
  bool comInitialized() const { return comInitialized_; }
  const WMIAuthIdentityC* identity() const { return identity_.get(); }

  // Records `result` as the status; the four special results also report
  // their catalogued message. For the enumerators and instances of this
  // service.
  void recordStatus(uint32_t result);

 private:
  void connect(const StringC& server, const StringC& nameSpace, StringC user, const StringC& password);
  void disconnect();
  // Sets the proxy blanket with this connection's identity: no message
  // when there is no valid identity, the catalogued warning when the system
  // refuses.
  bool setProxyBlanket(platform::wmi::ServicesI& proxy);
  bool setProxyBlanket(platform::wmi::EnumeratorI& proxy);
  bool blanketFor(platform::wmi::ProxyBlanketC& blanket) const;
  bool blanketResult(uint32_t result);

  std::unique_ptr<platform::wmi::ServicesI> services_;
  std::unique_ptr<WMIAuthIdentityC> identity_;
  bool comInitialized_ = false;
  uint32_t status_ = 0;
  const WmiPlatformC& system_;
};
