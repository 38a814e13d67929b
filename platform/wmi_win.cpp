#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>
#include <wbemcli.h>

#include <memory>
#include <new>
#include <vector>

#include "platform/wmi.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Windows wide character is a UTF-16 unit");

namespace platform::wmi {

namespace {

// Defined here so that nothing links wbemuuid.
const GUID CLSID_WbemLocator = {0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const GUID IID_IWbemLocator = {0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

// ole32 and oleaut32 are loaded when WMI is first wanted, so that the
// products import no more than the system's core DLLs.
template <typename F>
F function(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

struct Ole32 {
  decltype(&::CoCreateInstance) createInstance = nullptr;
  decltype(&::CoSetProxyBlanket) setProxyBlanket = nullptr;
  decltype(&::CoInitializeSecurity) initializeSecurity = nullptr;
};

const Ole32& ole32() {
  static const Ole32 functions = [] {
    Ole32 f;
    const HMODULE m = LoadLibraryW(L"ole32.dll");
    f.createInstance = function<decltype(f.createInstance)>(m, "CoCreateInstance");
    f.setProxyBlanket = function<decltype(f.setProxyBlanket)>(m, "CoSetProxyBlanket");
    f.initializeSecurity = function<decltype(f.initializeSecurity)>(m, "CoInitializeSecurity");
    return f;
  }();
  return functions;
}

struct OleAut32 {
  decltype(&::SysAllocStringLen) allocStringLen = nullptr;
  decltype(&::SysFreeString) freeString = nullptr;
  decltype(&::SysStringLen) stringLen = nullptr;
  decltype(&::VariantClear) variantClear = nullptr;
  decltype(&::SafeArrayGetDim) arrayDim = nullptr;
  decltype(&::SafeArrayGetLBound) arrayLBound = nullptr;
  decltype(&::SafeArrayGetUBound) arrayUBound = nullptr;
  decltype(&::SafeArrayGetElement) arrayElement = nullptr;
  decltype(&::SafeArrayDestroy) arrayDestroy = nullptr;
  bool complete = false;
};

const OleAut32& oleaut32() {
  static const OleAut32 functions = [] {
    OleAut32 f;
    const HMODULE m = LoadLibraryW(L"oleaut32.dll");
    f.allocStringLen = function<decltype(f.allocStringLen)>(m, "SysAllocStringLen");
    f.freeString = function<decltype(f.freeString)>(m, "SysFreeString");
    f.stringLen = function<decltype(f.stringLen)>(m, "SysStringLen");
    f.variantClear = function<decltype(f.variantClear)>(m, "VariantClear");
    f.arrayDim = function<decltype(f.arrayDim)>(m, "SafeArrayGetDim");
    f.arrayLBound = function<decltype(f.arrayLBound)>(m, "SafeArrayGetLBound");
    f.arrayUBound = function<decltype(f.arrayUBound)>(m, "SafeArrayGetUBound");
    f.arrayElement = function<decltype(f.arrayElement)>(m, "SafeArrayGetElement");
    f.arrayDestroy = function<decltype(f.arrayDestroy)>(m, "SafeArrayDestroy");
    f.complete = f.allocStringLen && f.freeString && f.stringLen && f.variantClear && f.arrayDim && f.arrayLBound &&
                 f.arrayUBound && f.arrayElement && f.arrayDestroy;
    return f;
  }();
  return functions;
}

uint32_t hr32(HRESULT hr) { return static_cast<uint32_t>(hr); }

// Through a volatile pointer, so that the compiler keeps the stores.
void wipe(void* p, size_t bytes) {
  volatile unsigned char* q = static_cast<volatile unsigned char*>(p);
  while (bytes--) *q++ = 0;
}

// A BSTR made from a text, or null for a null text. A secret is wiped
// before it is freed.
class BstrC {
 public:
  BstrC(const std::u16string* text, bool secret = false) : wanted_(text != nullptr), secret_(secret) {
    if (text)
      bstr_ =
          oleaut32().allocStringLen(reinterpret_cast<const OLECHAR*>(text->data()), static_cast<UINT>(text->size()));
  }
  ~BstrC() {
    if (!bstr_) return;
    if (secret_) wipe(bstr_, oleaut32().stringLen(bstr_) * sizeof(OLECHAR));
    oleaut32().freeString(bstr_);
  }
  BstrC(const BstrC&) = delete;
  BstrC& operator=(const BstrC&) = delete;
  bool ok() const { return !wanted_ || bstr_; }
  BSTR get() const { return bstr_; }

 private:
  BSTR bstr_ = nullptr;
  bool wanted_;
  bool secret_;
};

// The COAUTHIDENTITY of a proxy and the texts it points into, kept for as
// long as the proxy lives.
struct IdentityC {
  std::u16string user, domain, password;
  COAUTHIDENTITY auth{};
  ~IdentityC() {
    if (!password.empty()) wipe(password.data(), password.size() * sizeof(char16_t));
  }
};

using Identities = std::vector<std::shared_ptr<IdentityC>>;

uint32_t setBlanket(IUnknown* proxy, const ProxyBlanketC& blanket, Identities& keep) {
  if (!ole32().setProxyBlanket) return kEFail;
  try {
    std::shared_ptr<IdentityC> identity;
    if (blanket.identity) {
      identity = std::make_shared<IdentityC>();
      identity->user = blanket.identity->user;
      identity->domain = blanket.identity->domain;
      identity->password = blanket.identity->password;
      identity->auth.User = reinterpret_cast<USHORT*>(identity->user.data());
      identity->auth.UserLength = static_cast<ULONG>(identity->user.size());
      identity->auth.Domain = reinterpret_cast<USHORT*>(identity->domain.data());
      identity->auth.DomainLength = static_cast<ULONG>(identity->domain.size());
      identity->auth.Password = reinterpret_cast<USHORT*>(identity->password.data());
      identity->auth.PasswordLength = static_cast<ULONG>(identity->password.size());
      identity->auth.Flags = blanket.identity->flags;
      keep.push_back(identity);
    }
    return hr32(ole32().setProxyBlanket(proxy, blanket.authnService, blanket.authzService, nullptr, blanket.authnLevel,
                                        blanket.impLevel, identity ? &identity->auth : nullptr, blanket.capabilities));
  } catch (...) {
    return kEOutOfMemory;
  }
}

bool copyable(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_BOOL:
    case VT_BSTR:
    case VT_ERROR: return true;
    default: return false;
  }
}

// A scalar VARIANT; types that cannot be copied keep only their type.
void copyScalar(const VARIANT& v, VariantC& out) {
  out.type = v.vt;
  switch (v.vt) {
    case VT_I1: out.integer = static_cast<signed char>(v.cVal); break;
    case VT_UI1: out.integer = v.bVal; break;
    case VT_I2: out.integer = v.iVal; break;
    case VT_UI2: out.integer = v.uiVal; break;
    case VT_I4: out.integer = v.lVal; break;
    case VT_UI4: out.integer = v.ulVal; break;
    case VT_I8: out.integer = v.llVal; break;
    case VT_UI8: out.integer = static_cast<int64_t>(v.ullVal); break;
    case VT_R4: out.real = v.fltVal; break;
    case VT_R8: out.real = v.dblVal; break;
    case VT_DATE: out.real = v.date; break;
    case VT_BOOL: out.integer = v.boolVal ? -1 : 0; break;
    case VT_ERROR: out.integer = v.scode; break;
    case VT_BSTR:
      if (v.bstrVal) out.text.assign(reinterpret_cast<const char16_t*>(v.bstrVal), oleaut32().stringLen(v.bstrVal));
      break;
    default: break;
  }
}

// One element read out of a SAFEARRAY, freed however the copy ends.
struct ElementC {
  VARIANT value{};
  VARTYPE type;
  explicit ElementC(VARTYPE t) : type(t) {}
  ~ElementC() {
    if (type == VT_VARIANT)
      oleaut32().variantClear(&value);
    else if (type == VT_BSTR && value.bstrVal)
      oleaut32().freeString(value.bstrVal);
  }
  void* slot() { return type == VT_VARIANT ? static_cast<void*>(&value) : static_cast<void*>(&value.llVal); }
};

void copyArray(const VARIANT& v, VariantC& out) {
  out.type = v.vt;
  const OleAut32& oa = oleaut32();
  SAFEARRAY* array = v.parray;
  const VARTYPE elementType = static_cast<VARTYPE>(v.vt & VT_TYPEMASK);
  if (!array || oa.arrayDim(array) != 1 || !(copyable(elementType) || elementType == VT_VARIANT)) return;
  LONG lower = 0, upper = -1;
  if (FAILED(oa.arrayLBound(array, 1, &lower)) || FAILED(oa.arrayUBound(array, 1, &upper))) return;
  for (int64_t i = lower; i <= upper; ++i) {
    LONG index = static_cast<LONG>(i);
    ElementC element(elementType);
    if (FAILED(oa.arrayElement(array, &index, element.slot()))) {
      out.elements.clear();
      return;
    }
    VariantC item;
    if (elementType == VT_VARIANT) {
      if (element.value.vt & (VT_ARRAY | VT_BYREF))
        item.type = element.value.vt;
      else
        copyScalar(element.value, item);
    } else {
      VARIANT typed = element.value;
      typed.vt = elementType;
      copyScalar(typed, item);
    }
    out.elements.push_back(std::move(item));
  }
}

void copyVariant(const VARIANT& v, VariantC& out) {
  if (v.vt & VT_BYREF)
    out.type = v.vt;
  else if (v.vt & VT_ARRAY)
    copyArray(v, out);
  else
    copyScalar(v, out);
}

class ClassObjectW final : public ClassObjectI {
 public:
  explicit ClassObjectW(IWbemClassObject* object) noexcept : object_(object) {}
  ~ClassObjectW() override { object_->Release(); }

  uint32_t get(const std::u16string& name, VariantC& value, int32_t& cimType) override {
    value = VariantC{};
    cimType = 0;
    const OleAut32& oa = oleaut32();
    if (!oa.complete) return kEFail;
    VARIANT v{};
    v.vt = VT_EMPTY;
    CIMTYPE type = 0;
    const HRESULT hr = object_->Get(reinterpret_cast<LPCWSTR>(name.c_str()), 0, &v, &type, nullptr);
    if (FAILED(hr)) {
      oa.variantClear(&v);
      return hr32(hr);
    }
    uint32_t result = hr32(hr);
    try {
      copyVariant(v, value);
      cimType = type;
    } catch (...) {
      value = VariantC{};
      result = kEOutOfMemory;
    }
    oa.variantClear(&v);
    return result;
  }

  uint32_t names(std::vector<std::u16string>& out) override {
    out.clear();
    const OleAut32& oa = oleaut32();
    if (!oa.complete) return kEFail;
    SAFEARRAY* array = nullptr;
    const HRESULT hr = object_->GetNames(nullptr, WBEM_FLAG_NONSYSTEM_ONLY, nullptr, &array);
    if (FAILED(hr) || !array) return FAILED(hr) ? hr32(hr) : kEPointer;
    uint32_t result = kWbemSNoError;
    LONG lower = 0, upper = -1;
    if (FAILED(oa.arrayLBound(array, 1, &lower)) || FAILED(oa.arrayUBound(array, 1, &upper))) result = kEFail;
    try {
      for (LONG i = lower; result == kWbemSNoError && i <= upper; ++i) {
        BSTR name = nullptr;
        if (FAILED(oa.arrayElement(array, &i, &name))) {
          result = kEFail;
          break;
        }
        if (name) {
          out.emplace_back(reinterpret_cast<const char16_t*>(name), oa.stringLen(name));
          oa.freeString(name);
        }
      }
    } catch (...) {
      out.clear();
      result = kEOutOfMemory;
    }
    oa.arrayDestroy(array);
    return result;
  }

 private:
  IWbemClassObject* object_;
};

class EnumeratorW final : public EnumeratorI {
 public:
  EnumeratorW(IEnumWbemClassObject* enumerator, Identities identities) noexcept
      : enumerator_(enumerator), identities_(std::move(identities)) {}
  ~EnumeratorW() override { enumerator_->Release(); }

  uint32_t setProxyBlanket(const ProxyBlanketC& blanket) override {
    return setBlanket(enumerator_, blanket, identities_);
  }

  uint32_t next(int32_t timeoutMs, std::unique_ptr<ClassObjectI>& out) override {
    out.reset();
    IWbemClassObject* object = nullptr;
    ULONG returned = 0;
    const HRESULT hr = enumerator_->Next(timeoutMs, 1, &object, &returned);
    if (FAILED(hr) || hr == WBEM_S_TIMEDOUT) {
      if (object) object->Release();
      return hr32(hr);
    }
    if (hr == WBEM_S_NO_ERROR && returned == 1 && object) {
      try {
        out = std::make_unique<ClassObjectW>(object);
      } catch (...) {
        object->Release();
        return kEOutOfMemory;
      }
      return kWbemSNoError;
    }
    if (object) object->Release();
    return kWbemSFalse;
  }

 private:
  IEnumWbemClassObject* enumerator_;
  Identities identities_;
};

class ServicesW final : public ServicesI {
 public:
  explicit ServicesW(IWbemServices* services) noexcept : services_(services) {}
  ~ServicesW() override { services_->Release(); }

  uint32_t setProxyBlanket(const ProxyBlanketC& blanket) override {
    return setBlanket(services_, blanket, identities_);
  }

  uint32_t createInstanceEnum(const std::u16string& className, int32_t flags,
                              std::unique_ptr<EnumeratorI>& out) override {
    out.reset();
    if (!oleaut32().complete) return kEFail;
    const BstrC name(&className);
    if (!name.ok()) return kEOutOfMemory;
    IEnumWbemClassObject* enumerator = nullptr;
    const HRESULT hr = services_->CreateInstanceEnum(name.get(), flags, nullptr, &enumerator);
    if (FAILED(hr)) return hr32(hr);
    if (!enumerator) return kEFail;
    try {
      Identities shared = identities_;
      out = std::make_unique<EnumeratorW>(enumerator, std::move(shared));
    } catch (...) {
      enumerator->Release();
      return kEOutOfMemory;
    }
    return hr32(hr);
  }

 private:
  IWbemServices* services_;
  Identities identities_;
};

class LocatorW final : public LocatorI {
 public:
  explicit LocatorW(IWbemLocator* locator) noexcept : locator_(locator) {}
  ~LocatorW() override { locator_->Release(); }

  uint32_t connectServer(const std::u16string& path, const std::u16string* user, const std::u16string* password,
                         std::unique_ptr<ServicesI>& out, std::vector<std::string>*) override {
    out.reset();
    if (!oleaut32().complete) return kEFail;
    const BstrC bstrPath(&path);
    const BstrC bstrUser(user);
    const BstrC bstrPassword(password, true);
    if (!bstrPath.ok() || !bstrUser.ok() || !bstrPassword.ok()) return kEOutOfMemory;
    IWbemServices* services = nullptr;
    const HRESULT hr = locator_->ConnectServer(bstrPath.get(), bstrUser.get(), bstrPassword.get(), nullptr, 0, nullptr,
                                               nullptr, &services);
    if (FAILED(hr)) return hr32(hr);
    if (!services) return kEFail;
    try {
      out = std::make_unique<ServicesW>(services);
    } catch (...) {
      services->Release();
      return kEOutOfMemory;
    }
    return hr32(hr);
  }

 private:
  IWbemLocator* locator_;
};

}  // namespace

uint32_t initializeSecurity(uint32_t authnLevel, uint32_t impLevel, uint32_t capabilities) {
  if (!ole32().initializeSecurity) return kCoENotInitialized;
  return hr32(
      ole32().initializeSecurity(nullptr, -1, nullptr, nullptr, authnLevel, impLevel, nullptr, capabilities, nullptr));
}

uint32_t createLocator(std::unique_ptr<LocatorI>& out) {
  out.reset();
  if (!ole32().createInstance) return kCoENotInitialized;
  IWbemLocator* locator = nullptr;
  const HRESULT hr = ole32().createInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                            reinterpret_cast<void**>(&locator));
  if (FAILED(hr)) return hr32(hr);
  if (!locator) return kEFail;
  try {
    out = std::make_unique<LocatorW>(locator);
  } catch (...) {
    locator->Release();
    return kEOutOfMemory;
  }
  return kSOk;
}

}  // namespace platform::wmi
