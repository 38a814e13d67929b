#include "collect/citrix/citrix_vdi_endpoint_info.h"

#include <cstdio>
#include <string>

#include "collect/info/agent_trace.h"
#include "config/prefs/env_preferences.h"
#include "log/log_manager.h"
#include "platform/sid.h"
#include "runtime/datetime/file_time.h"
#include "runtime/services/common_services.h"

namespace {

constexpr const char* kIcaSessionKey = "SOFTWARE\\Citrix\\ICA\\Session";
constexpr const char* kPolicyInputValuesKey = "SOFTWARE\\Citrix\\VirtualDesktopAgent\\Policy\\Session\\PolicyInputValues";
constexpr const char* kTcpipKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr const char* kStateKey = "SOFTWARE\\Citrix\\VirtualDesktopAgent\\State";
constexpr const char* kBrokeringUserSid = "BrokeringUserSID";
// KEY_READ with KEY_WOW64_64KEY: the registry as a 64-bit process sees it.
constexpr uint32_t kRead64 = tnw::kKeyRead | tnw::kKeyWow64_64;

constexpr uint32_t kNotFoundMessage = 0xE1B30054;
constexpr const char* kNotFoundText = "{e}Citrix VDI endpoint information '%s' is not found.";

StringC text(const char* s) { return StringC(s, "system-8"); }

bool valueExists(tnw::RegKey root, const StringC& keyPath, const char* valueName) {
  tnw::RegistryServiceI* service = common_services::registryService();
  return root != 0 && service && service->valueExists(root, keyPath.newRef(), text(valueName).newRef(), 0, 0) == tnw::kOk;
}

// The first sub-key of PolicyInputValues (64-bit view), in enumeration
// order, that holds BrokeringUserSID; empty when none does.
StringC subKeyWithSid(tnw::RegKey view64) {
  tnw::RegistryServiceI* service = common_services::registryService();
  tnw::RegKey key = 0;
  if (view64 == 0 || !service || service->openSubKey(view64, text(kPolicyInputValuesKey).newRef(), &key) != tnw::kOk)
    return StringC();
  StringC found;
  for (uint32_t i = 0;; ++i) {
    tnw::TextI* name = nullptr;
    if (service->enumSubKey(key, i, &name) != tnw::kOk) {
      if (name) name->release();
      break;
    }
    const StringC path = text(kPolicyInputValuesKey) + StringC::fromUtf8("\\") + StringC::adopt(name);
    if (valueExists(view64, path, kBrokeringUserSid)) {
      found = path;
      break;
    }
  }
  service->closeKey(key);
  return found;
}

std::string logonTimeText(uint64_t fileTime) {
  datetime::SystemTimeC t;
  if (!datetime::fileTimeToCalendar(fileTime, t)) return std::string();
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return buffer;
}

}  // namespace

CitrixVDIEndpointInfo::CitrixVDIEndpointInfo() : CitrixVDIEndpointInfo(systemLogonSessions()) {}

CitrixVDIEndpointInfo::CitrixVDIEndpointInfo(LogonSessionSourceI& sessions) : sessions_(&sessions) {
  const RefM<RegistryKeyC> view = RegistryKeyC::open(tnw::kHKeyLocalMachine, "", kRead64);
  const tnw::RegKey view64 = view->key();

  const char* clientKey = valueExists(view64, text(kIcaSessionKey), "ClientName") ? kIcaSessionKey : kPolicyInputValuesKey;
  append(new RegBasedInfoPiece("endPointClientName", view64, clientKey, "ClientName", false, view));
  append(new RegBasedInfoPiece("vdiName", view64, kTcpipKey, "HostName", false, view));
  append(new RegBasedInfoPiece("vdiDomain", view64, kTcpipKey, "Domain", false, view));
  if (valueExists(view64, text(kStateKey), "DesktopCatalogName"))
    append(new RegBasedInfoPiece("vdiTemplateName", view64, kStateKey, "DesktopCatalogName", false, view));
  else
    append(new RegBasedInfoPiece("vdiTemplateName", tnw::kHKeyLocalMachine, kStateKey, "DesktopCatalogName", false));

  if (valueExists(view64, text(kPolicyInputValuesKey), kBrokeringUserSid)) {
    userID_ = new RegBasedInfoPiece("userID", view64, kPolicyInputValuesKey, kBrokeringUserSid, true, view);
  } else if (valueExists(tnw::kHKeyLocalMachine, text(kPolicyInputValuesKey), kBrokeringUserSid)) {
    userID_ = new RegBasedInfoPiece("userID", tnw::kHKeyLocalMachine, kPolicyInputValuesKey, kBrokeringUserSid, true);
  } else {
    const StringC path = subKeyWithSid(view64);
    if (!path.isEmpty()) userID_ = new RegBasedInfoPiece("userID", view64, path, text(kBrokeringUserSid), true, view);
  }
  if (userID_) append(userID_);

  userName_ = new InfoPiece("userName", true, false);
  userDomain_ = new InfoPiece("userDomain", true, false);
  logonTime_ = new InfoPiece("logonTime", true, false);
  append(userName_);
  append(userDomain_);
  append(logonTime_);
}

bool CitrixVDIEndpointInfo::collect() {
  if (!userID_ || !userID_->fetch()) return false;
  for (const RefM<InfoPiece>& piece : *this) {
    if (!piece->fetch()) {
      log_LogManagerC::instance().log('S', 5, kNotFoundMessage, StringC::fromUtf8(kNotFoundText),
                                      ArgListC::of(piece->name()));
      return false;
    }
  }
  return collectLogonSession();
}

bool CitrixVDIEndpointInfo::collectLogonSession() {
  platform::SidC user;
  if (platform::stringToSid(userID_->value().encode("system-8"), user) != 0 || user.empty()) {
    kAgentModule.trace("Failed to decode user SID.");
    return false;
  }

  std::vector<platform::LogonIdC> ids;
  std::vector<std::string> problems;
  const uint32_t status = sessions_->enumerate(ids, &problems);
  for (const std::string& p : problems) kAgentModule.trace("%1$s", p);
  if (status != platform::kStatusSuccess) {
    kAgentModule.trace("Failed to enumerate logon sessions. Error code: %lu", status);
    return false;
  }

  StringC name, domain, time;
  for (const platform::LogonIdC& id : ids) {
    platform::LogonSessionDataC data;
    const uint32_t dataStatus = sessions_->sessionData(id, data);
    if (dataStatus != platform::kStatusSuccess) {
      // A session that ended since the enumeration: the others still count.
      kAgentModule.trace("Failed to extract logon session data. Error code: %lu", dataStatus);
      continue;
    }
    if ((data.logonType == platform::kLogonInteractive || data.logonType == platform::kLogonRemoteInteractive) &&
        platform::equalSid(data.sid, user)) {
      name = StringC(data.userName.data(), static_cast<int32_t>(data.userName.size()));
      domain = StringC(data.logonDomain.data(), static_cast<int32_t>(data.logonDomain.size()));
      logonFileTime_ = data.logonTime;
      time = StringC::fromUtf8(logonTimeText(data.logonTime));
      break;
    }
  }

  userName_->setValue(name);
  userDomain_->setValue(domain);
  logonTime_->setValue(time);
  EnvPreferencesC preferences;
  preferences.set(StringC::fromUtf8("UserId"), name, false);
  return true;
}
