#include "collect/wmi/wmi_service.h"

#include "collect/wmi/wmi_enum.h"
#include "collect/wmi/wmi_errors.h"
#include "collect/wmi/wmi_messages.h"
#include "collect/info/agent_trace.h"
#include "platform/com.h"
#include "platform/hresult.h"
#include "runtime/messages/error_report.h"

namespace wmi = platform::wmi;

WMIServiceC::WMIServiceC(const StringC& server, const StringC& nameSpace, const StringC& user,
                         const StringC& password, const WmiPlatformC& system)
    : system_(system) {
  const uint32_t init = system_.comInitialize(platform::kComApartmentThreaded);
  if (init != platform::kRpcEChangedMode) {
    if (!platform::succeeded(init)) {
      recordStatus(init);
      return;
    }
    comInitialized_ = true;
  }
  uint32_t security = system_.initializeSecurity(wmi::kRpcCAuthnLevelConnect, wmi::kRpcCImpLevelIdentify, wmi::kEoacNone);
  if (security == platform::kRpcETooLate) security = 0;
  recordStatus(security);
  if (security == 0) connect(server, nameSpace, user, password);
}

WMIServiceC::~WMIServiceC() {
  disconnect();
  if (comInitialized_) system_.comUninitialize();
}

void WMIServiceC::connect(const StringC& server, const StringC& nameSpace, StringC user, const StringC& password) {
  const StringC backslash = StringC::fromUtf8("\\");
  if (!user.isEmpty() && user.find(backslash) == StringC::kNotFound) user = StringC::fromUtf8(".\\") + user;

  std::unique_ptr<wmi::LocatorI> locator;
  uint32_t result = system_.createLocator(locator);
  if (result == 0 && !locator) result = platform::kEPointer;
  if (result == 0) {
    const std::u16string path = (StringC::fromUtf8("\\\\") + server + backslash + nameSpace).toUtf16();
    const std::u16string user16 = user.toUtf16();
    const std::u16string password16 = password.toUtf16();
    std::vector<std::string> problems;
    result = locator->connectServer(path, user.isEmpty() ? nullptr : &user16,
                                    password.isEmpty() ? nullptr : &password16, services_, &problems);
    for (const std::string& p : problems) kAgentModule.trace("%1$s", p);
    if (result == 0 && !services_) result = platform::kEPointer;
    if (result != 0) {
      services_.reset();
      const StringC shown = server == StringC::fromUtf8(".") ? StringC::fromUtf8("localhost") : server;
      raiseError(wmi_messages::kConnectFailed, wmi_messages::kConnectFailedText,
                 ArgListC::of(nameSpace, shown, wmiErrorText(result), result));
    } else {
      identity_ = std::make_unique<WMIAuthIdentityC>();
      identity_->valid = true;
      const int32_t at = user.find(backslash);
      if (at > 0) {
        identity_->hasCredentials = true;
        identity_->record.domain = user.substr(0, at).toUtf16();
        identity_->record.user = user.substr(at + 1).toUtf16();
        identity_->record.password = password16;
        identity_->record.flags = wmi::kSecWinNtAuthIdentityUnicode;
      }
      if (!setProxyBlanket(*services_)) result = platform::kEFail;
    }
  }
  locator.reset();
  if (result != 0) {
    disconnect();
    raiseError(wmi_messages::kInitializeFailed, wmi_messages::kInitializeFailedText, ArgListC::of(result));
  }
  recordStatus(result);
}

void WMIServiceC::disconnect() {
  identity_.reset();
  services_.reset();
}

void WMIServiceC::recordStatus(uint32_t result) {
  struct Special {
    uint32_t result;
    uint32_t message;
    const char* text;
  };
  static constexpr Special kSpecial[] = {
      {platform::kRpcSServerUnavailable, wmi_messages::kRpcUnavailable, wmi_messages::kRpcUnavailableText},
      {platform::kEAccessDenied, wmi_messages::kRpcCredentials, wmi_messages::kRpcCredentialsText},
      {platform::kWbemEAccessDenied, wmi_messages::kNamespaceCredentials, wmi_messages::kNamespaceCredentialsText},
      {platform::kWbemEInvalidNamespace, wmi_messages::kInvalidNamespace, wmi_messages::kInvalidNamespaceText},
  };
  for (const Special& s : kSpecial) {
    if (s.result == result) {
      raiseError(s.message, s.text);
      status_ = s.message;
      return;
    }
  }
  status_ = result;
}

bool WMIServiceC::blanketFor(wmi::ProxyBlanketC& blanket) const {
  if (!identity_ || !identity_->valid) return false;
  blanket.authnService = wmi::kRpcCAuthnWinNt;
  blanket.authzService = wmi::kRpcCAuthzNone;
  blanket.authnLevel = identity_->hasCredentials ? wmi::kRpcCAuthnLevelPktPrivacy : wmi::kRpcCAuthnLevelCall;
  blanket.impLevel = wmi::kRpcCImpLevelImpersonate;
  blanket.identity = identity_->hasCredentials ? &identity_->record : nullptr;
  blanket.capabilities = wmi::kEoacNone;
  return true;
}

bool WMIServiceC::blanketResult(uint32_t result) {
  if (result == 0) return true;
  raiseError(wmi_messages::kProxyBlanketFailed, wmi_messages::kProxyBlanketFailedText,
             ArgListC::of(wmiErrorText(result), result));
  return false;
}

bool WMIServiceC::setProxyBlanket(wmi::ServicesI& proxy) {
  wmi::ProxyBlanketC blanket;
  return blanketFor(blanket) && blanketResult(proxy.setProxyBlanket(blanket));
}

bool WMIServiceC::setProxyBlanket(wmi::EnumeratorI& proxy) {
  wmi::ProxyBlanketC blanket;
  return blanketFor(blanket) && blanketResult(proxy.setProxyBlanket(blanket));
}

RefM<WMIEnumC> WMIServiceC::enumerateClass(const StringC& className) {
  if (!services_) return RefM<WMIEnumC>();
  std::unique_ptr<wmi::EnumeratorI> enumerator;
  uint32_t result = services_->createInstanceEnum(className.toUtf16(), wmi::kWbemFlagShallow, enumerator);
  if (result == 0 && !enumerator) result = platform::kEPointer;
  if (result != 0) {
    raiseError(wmi_messages::kEnumerateFailed, wmi_messages::kEnumerateFailedText,
               ArgListC::of(className, wmiErrorText(result), result));
    recordStatus(result);
    return RefM<WMIEnumC>();
  }
  RefM<WMIEnumC> walk(new WMIEnumC(std::move(enumerator), this));
  recordStatus(result);
  if (identity_->hasCredentials && !setProxyBlanket(*walk->enumerator())) {
    walk->discard();
    return RefM<WMIEnumC>();
  }
  return walk;
}
