// Windows Management Instrumentation as the agent reads it, in COM's terms:
// a locator connects to a namespace, the services enumerate the instances
// of a class, an instance answers its properties as VARIANTs. Every call
// answers an HRESULT or WMI result code (named in platform/hresult.h).
//
// Windows: the real COM interfaces (IWbemLocator, IWbemServices,
// IEnumWbemClassObject, IWbemClassObject) through ole32 and oleaut32, both
// loaded on first use so that the products import no more than they do.
// Each object here owns one COM reference and releases it when destroyed:
// destroy them on the thread that made them, while COM is still
// initialised there (before the balancing comUninitialize).
//
// Linux: a repository compiled from MACHINE/wmi/**/*.mof (platform/
// mof_compiler.h), compiled anew when a file changes; like a live provider,
// each enumeration answers from the files as they are then. The server must be
// local ("." or "localhost" or this host's name, else
// kRpcSServerUnavailable); a namespace that no file declares (nor one below
// it) is kWbemEInvalidNamespace; a class that its namespace does not declare
// is kWbemEInvalidClass; credentials on a local connection are
// kWbemELocalCredentials, as WMI answers them. Values come in the VARIANT
// types WMI gives for each CIM type (sint8 VT_I2, uint8 VT_UI1, sint16 VT_I2,
// uint16 and sint32 and uint32 VT_I4, sint64 and uint64 and datetime and
// reference VT_BSTR, char16 VT_I2, real32 VT_R4, real64 VT_R8, boolean
// VT_BOOL, string VT_BSTR; arrays with VT_ARRAY); a property the instance
// does not set is its class's default, else VT_NULL. Of the system
// properties only "__CLASS" is answered (the instance's own class, which a
// deep enumeration needs).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/hresult.h"

namespace platform::wmi {

// VARIANT types (VARTYPE).
inline constexpr uint16_t kVtEmpty = 0;
inline constexpr uint16_t kVtNull = 1;
inline constexpr uint16_t kVtI2 = 2;
inline constexpr uint16_t kVtI4 = 3;
inline constexpr uint16_t kVtR4 = 4;
inline constexpr uint16_t kVtR8 = 5;
inline constexpr uint16_t kVtCy = 6;
inline constexpr uint16_t kVtDate = 7;
inline constexpr uint16_t kVtBstr = 8;
inline constexpr uint16_t kVtDispatch = 9;
inline constexpr uint16_t kVtError = 10;
inline constexpr uint16_t kVtBool = 11;
inline constexpr uint16_t kVtVariant = 12;
inline constexpr uint16_t kVtUnknown = 13;
inline constexpr uint16_t kVtDecimal = 14;
inline constexpr uint16_t kVtI1 = 16;
inline constexpr uint16_t kVtUi1 = 17;
inline constexpr uint16_t kVtUi2 = 18;
inline constexpr uint16_t kVtUi4 = 19;
inline constexpr uint16_t kVtI8 = 20;
inline constexpr uint16_t kVtUi8 = 21;
inline constexpr uint16_t kVtArray = 0x2000;

// CIM types (CIMTYPE_ENUMERATION).
inline constexpr int32_t kCimSint8 = 16;
inline constexpr int32_t kCimUint8 = 17;
inline constexpr int32_t kCimSint16 = 2;
inline constexpr int32_t kCimUint16 = 18;
inline constexpr int32_t kCimSint32 = 3;
inline constexpr int32_t kCimUint32 = 19;
inline constexpr int32_t kCimSint64 = 20;
inline constexpr int32_t kCimUint64 = 21;
inline constexpr int32_t kCimReal32 = 4;
inline constexpr int32_t kCimReal64 = 5;
inline constexpr int32_t kCimBoolean = 11;
inline constexpr int32_t kCimString = 8;
inline constexpr int32_t kCimDatetime = 101;
inline constexpr int32_t kCimReference = 102;
inline constexpr int32_t kCimChar16 = 103;
inline constexpr int32_t kCimObject = 13;
inline constexpr int32_t kCimFlagArray = 0x2000;

// IWbemServices::CreateInstanceEnum flags.
inline constexpr int32_t kWbemFlagDeep = 0;
inline constexpr int32_t kWbemFlagShallow = 1;
// IEnumWbemClassObject::Next's timeout that never runs out (WBEM_INFINITE).
inline constexpr int32_t kWbemInfinite = -1;

// RPC authentication and impersonation constants of the proxy blanket and
// of CoInitializeSecurity.
inline constexpr uint32_t kRpcCAuthnWinNt = 10;
inline constexpr uint32_t kRpcCAuthzNone = 0;
inline constexpr uint32_t kRpcCAuthnLevelConnect = 2;
inline constexpr uint32_t kRpcCAuthnLevelCall = 3;
inline constexpr uint32_t kRpcCAuthnLevelPktPrivacy = 6;
inline constexpr uint32_t kRpcCImpLevelIdentify = 2;
inline constexpr uint32_t kRpcCImpLevelImpersonate = 3;
inline constexpr uint32_t kEoacNone = 0;
inline constexpr uint32_t kSecWinNtAuthIdentityUnicode = 2;

// The content of a VARIANT, copied out of it (the platform clears the
// VARIANT itself). With kVtArray in `type`, `elements` holds the items of
// the one-dimensional array from its lower to its upper bound, each of type
// `type & ~kVtArray`.
struct VariantC {
  uint16_t type = kVtEmpty;
  int64_t integer = 0;  // VT_I1 .. VT_UI4, VT_I8, VT_UI8 (as bits), VT_ERROR; VT_BOOL 0 or -1 (VARIANT_TRUE)
  double real = 0;      // VT_R4, VT_R8, VT_DATE
  std::u16string text;  // VT_BSTR
  std::vector<VariantC> elements;
};

// COAUTHIDENTITY: the texts are UTF-16 without terminator.
struct AuthIdentityC {
  std::u16string user;
  std::u16string domain;
  std::u16string password;
  uint32_t flags = kSecWinNtAuthIdentityUnicode;
};

// CoSetProxyBlanket's arguments besides the proxy (the server principal
// name is always null). `identity` is borrowed for the call; the proxy
// keeps a copy for as long as it lives, as COM requires.
struct ProxyBlanketC {
  uint32_t authnService = kRpcCAuthnWinNt;
  uint32_t authzService = kRpcCAuthzNone;
  uint32_t authnLevel = kRpcCAuthnLevelCall;
  uint32_t impLevel = kRpcCImpLevelImpersonate;
  const AuthIdentityC* identity = nullptr;  // null: the caller's own
  uint32_t capabilities = kEoacNone;
};

// IWbemClassObject.
class ClassObjectI {
 public:
  virtual ~ClassObjectI() = default;
  // Get(name, 0, &value, &cimType, null). kWbemENotFound for a property the
  // class does not have.
  virtual uint32_t get(const std::u16string& name, VariantC& value, int32_t& cimType) = 0;
  // GetNames(null, WBEM_FLAG_NONSYSTEM_ONLY, null, ...): the names of the
  // class's properties, inherited ones included, system properties
  // ("__CLASS") left out.
  virtual uint32_t names(std::vector<std::u16string>& out) = 0;
};

// IEnumWbemClassObject.
class EnumeratorI {
 public:
  virtual ~EnumeratorI() = default;
  virtual uint32_t setProxyBlanket(const ProxyBlanketC& blanket) = 0;
  // Next(timeoutMs, 1, ...): kWbemSNoError with the next object in `out`;
  // kWbemSFalse at the end; kWbemSTimedOut when none came within the time
  // (kWbemInfinite: no limit); else an error. `out` is null unless an object
  // came.
  virtual uint32_t next(int32_t timeoutMs, std::unique_ptr<ClassObjectI>& out) = 0;
};

// IWbemServices of one namespace.
class ServicesI {
 public:
  virtual ~ServicesI() = default;
  virtual uint32_t setProxyBlanket(const ProxyBlanketC& blanket) = 0;
  // CreateInstanceEnum(className, flags, null context).
  virtual uint32_t createInstanceEnum(const std::u16string& className, int32_t flags,
                                      std::unique_ptr<EnumeratorI>& out) = 0;
};

// IWbemLocator.
class LocatorI {
 public:
  virtual ~LocatorI() = default;
  // ConnectServer(path, user, password, null locale, 0, null authority,
  // null context); a null user or password is passed as null. `problems`
  // (may be null) receives, on Linux, what the repository's compilation
  // reported ("FILE:LINE: what"), once per compilation; Windows adds
  // nothing.
  virtual uint32_t connectServer(const std::u16string& path, const std::u16string* user,
                                 const std::u16string* password, std::unique_ptr<ServicesI>& out,
                                 std::vector<std::string>* problems = nullptr) = 0;
};

// CoInitializeSecurity(null, -1, null, null, authnLevel, impLevel, null,
// capabilities, null). kRpcETooLate when the process's security was set
// before (Linux: by an earlier call).
uint32_t initializeSecurity(uint32_t authnLevel, uint32_t impLevel, uint32_t capabilities);

// CoCreateInstance(CLSID_WbemLocator, null, CLSCTX_INPROC_SERVER,
// IID_IWbemLocator). COM must be initialised on the calling thread.
uint32_t createLocator(std::unique_ptr<LocatorI>& out);

}  // namespace platform::wmi
