#include <windows.h>
#include <aclapi.h>

#include <memory>

#include "platform/window_station.h"

namespace platform {

namespace {

constexpr DWORD kWindowStationAccess = 0xF037F;
constexpr DWORD kDesktopAccess = 0xF01FF;
constexpr BYTE kInheritOnly = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE;
static_assert(kInheritOnly == 0xB);
constexpr DWORD kTokenGroupsSize = 4096;

// user32 is loaded when a window station is first wanted, so that the
// library imports no more than the system's core DLLs; it stays loaded.
using GetProcessWindowStationFn = HWINSTA(WINAPI*)();
using GetThreadDesktopFn = HDESK(WINAPI*)(DWORD);
using GetUserObjectSecurityFn = BOOL(WINAPI*)(HANDLE, PSECURITY_INFORMATION, PSECURITY_DESCRIPTOR, DWORD, LPDWORD);

struct User32 {
  GetProcessWindowStationFn processWindowStation = nullptr;
  GetThreadDesktopFn threadDesktop = nullptr;
  GetUserObjectSecurityFn objectSecurity = nullptr;
  DWORD loadError = 0;
  bool loaded() const { return processWindowStation && threadDesktop && objectSecurity; }
};

template <typename F>
F function(HMODULE m, const char* name) {
  return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

const User32& user32() {
  static const User32 functions = [] {
    User32 f;
    HMODULE m = LoadLibraryW(L"user32.dll");
    f.processWindowStation = function<GetProcessWindowStationFn>(m, "GetProcessWindowStation");
    f.threadDesktop = function<GetThreadDesktopFn>(m, "GetThreadDesktop");
    f.objectSecurity = function<GetUserObjectSecurityFn>(m, "GetUserObjectSecurity");
    if (!f.loaded()) f.loadError = GetLastError() ? GetLastError() : kErrorModNotFound;
    return f;
  }();
  return functions;
}

// An ACL in memory of its own.
using AclBufferC = std::unique_ptr<BYTE[]>;

ACL* aclOf(const AclBufferC& buffer) { return reinterpret_cast<ACL*>(buffer.get()); }

DWORD allowedEntrySize(PSID sid) { return sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid); }

// The DACL of a window station or desktop, copied entry by entry into a new
// ACL with `extra` bytes of room; null after a failure passed to `log`.
AclBufferC copyDacl(HANDLE object, DWORD extra, SessionAccessLogI& log) {
  SECURITY_INFORMATION which = DACL_SECURITY_INFORMATION;
  DWORD needed = 0;
  if (user32().objectSecurity(object, &which, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    log.failed("GetUserObjectSecurity failed (expected ERROR_INSUFFICIENT_BUFFER): error %#lx", GetLastError());
    return nullptr;
  }
  const std::unique_ptr<BYTE[]> descriptor(new BYTE[needed]);
  if (!user32().objectSecurity(object, &which, descriptor.get(), needed, &needed)) {
    log.failed("GetUserObjectSecurity failed: error %#lx", GetLastError());
    return nullptr;
  }
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted)) {
    log.failed("GetSecurityDescriptorDacl failed: error %#lx", GetLastError());
    return nullptr;
  }
  if (!present) {
    log.failed("GetSecurityDescriptorDacl: DACL not present", 0);
    return nullptr;
  }
  if (!dacl) {
    log.failed("GetSecurityDescriptorDacl: NULL DACL", 0);
    return nullptr;
  }
  ACL_SIZE_INFORMATION size{};
  if (!GetAclInformation(dacl, &size, sizeof size, AclSizeInformation)) {
    log.failed("GetAclInformation failed: error %#lx", GetLastError());
    return nullptr;
  }
  log.noted("GetAclInformation: AceCount = %d, AclBytesInUse = %d", static_cast<int32_t>(size.AceCount),
            static_cast<int32_t>(size.AclBytesInUse));
  const DWORD bytes = size.AclBytesInUse + extra;
  AclBufferC copy(new BYTE[bytes]);
  if (!InitializeAcl(aclOf(copy), bytes, ACL_REVISION)) {
    log.failed("InitializeAcl failed: error %#lx", GetLastError());
    return nullptr;
  }
  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) {
      log.failed("GetAce failed: error %#lx", GetLastError());
      return nullptr;
    }
    if (!AddAce(aclOf(copy), ACL_REVISION, MAXDWORD, ace, static_cast<ACE_HEADER*>(ace)->AceSize)) {
      log.failed("AddAce failed: error %#lx", GetLastError());
      return nullptr;
    }
  }
  return copy;
}

// Deletes every entry of `sid`. Only the entry types up to
// ACCESS_MAX_MS_V2_ACE_TYPE keep their SID right after the mask; object
// entries, which keep it elsewhere, are never ours.
bool deleteEntriesOf(ACL* acl, PSID sid, SessionAccessLogI& log) {
  ACL_SIZE_INFORMATION size{};
  if (!GetAclInformation(acl, &size, sizeof size, AclSizeInformation)) {
    log.failed("GetAclInformation failed (deleting): error %#lx", GetLastError());
    return false;
  }
  for (DWORD i = size.AceCount; i-- > 0;) {
    void* ace = nullptr;
    if (!GetAce(acl, i, &ace) || static_cast<ACE_HEADER*>(ace)->AceType > ACCESS_MAX_MS_V2_ACE_TYPE) continue;
    if (EqualSid(reinterpret_cast<PSID>(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart), sid)) DeleteAce(acl, i);
  }
  return true;
}

bool changeAccess(SystemHandle token, bool grant, SessionAccessLogI& log) {
  alignas(8) BYTE groupsBuffer[kTokenGroupsSize];
  DWORD length = 0;
  if (!GetTokenInformation(reinterpret_cast<HANDLE>(token), TokenGroups, groupsBuffer, sizeof groupsBuffer,
                           &length)) {
    log.failed("GetTokenInformation failed: error %#lx", GetLastError());
    return false;
  }
  const TOKEN_GROUPS* groups = reinterpret_cast<const TOKEN_GROUPS*>(groupsBuffer);
  const SID_AND_ATTRIBUTES* group = groups->Groups;
  PSID sid = nullptr;
  for (DWORD i = 0; i < groups->GroupCount && !sid; ++i)
    if ((group[i].Attributes & SE_GROUP_LOGON_ID) == SE_GROUP_LOGON_ID) sid = group[i].Sid;
  if (!sid) {
    log.failed("GrantSessionSIDAccessToWinstationAndDesktop: No Logon SID in TokenGroups", 0);
    return false;
  }

  if (!user32().loaded()) {
    log.failed("GetProcessWindowStation failed: error %#lx", user32().loadError);
    return false;
  }
  HWINSTA station = user32().processWindowStation();
  if (!station) {
    log.failed("GetProcessWindowStation failed: error %#lx", GetLastError());
    return false;
  }
  const DWORD entry = allowedEntrySize(sid);
  const AclBufferC stationAcl = copyDacl(reinterpret_cast<HANDLE>(station), grant ? 2 * entry : 0, log);
  if (!stationAcl) {
    log.failed(grant ? "GrantSessionSIDAccessToWinstationAndDesktop: Unable to get WindowStation DACL"
                     : "GrantSessionSIDAccessToWinstationAndDesktop: Unable to get WindowStation DACL for removal",
               0);
    return false;
  }
  if (grant) {
    if (!AddAccessAllowedAce(aclOf(stationAcl), ACL_REVISION, kWindowStationAccess, sid)) {
      log.failed("AddAccessAllowedAce(WindowStation) failed: error %#lx", GetLastError());
      return false;
    }
    if (!AddAccessAllowedAceEx(aclOf(stationAcl), ACL_REVISION, kInheritOnly, kDesktopAccess, sid)) {
      log.failed("AddAccessAllowedAceEx failed: error %#lx", GetLastError());
      return false;
    }
  } else if (!deleteEntriesOf(aclOf(stationAcl), sid, log)) {
    return false;
  }
  DWORD rc = SetSecurityInfo(reinterpret_cast<HANDLE>(station), SE_WINDOW_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                             nullptr, aclOf(stationAcl), nullptr);
  if (rc != ERROR_SUCCESS) {
    log.failed("SetSecurityInfo(WindowStation) failed: error %#lx", rc);
    return false;
  }

  HDESK desktop = user32().threadDesktop(GetCurrentThreadId());
  if (!desktop) {
    log.failed("GetThreadDesktop failed: error %#lx", GetLastError());
    return false;
  }
  const AclBufferC desktopAcl = copyDacl(reinterpret_cast<HANDLE>(desktop), grant ? entry : 0, log);
  if (!desktopAcl) {
    log.failed(grant ? "GrantSessionSIDAccessToWinstationAndDesktop: Unable to get Desktop DACL"
                     : "GrantSessionSIDAccessToWinstationAndDesktop: Unable to get Desktop DACL for removal",
               0);
    return false;
  }
  if (grant) {
    if (!AddAccessAllowedAce(aclOf(desktopAcl), ACL_REVISION, kDesktopAccess, sid)) {
      log.failed("AddAccessAllowedAce(Desktop) failed: error %#lx", GetLastError());
      return false;
    }
  } else if (!deleteEntriesOf(aclOf(desktopAcl), sid, log)) {
    return false;
  }
  rc = SetSecurityInfo(reinterpret_cast<HANDLE>(desktop), SE_WINDOW_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                       nullptr, aclOf(desktopAcl), nullptr);
  if (rc != ERROR_SUCCESS) {
    log.failed("SetSecurityInfo(Desktop) failed: error %#lx", rc);
    return false;
  }
  return true;
}

}  // namespace

bool grantSessionAccess(SystemHandle token, SessionAccessLogI& log) { return changeAccess(token, true, log); }

bool revokeSessionAccess(SystemHandle token, SessionAccessLogI& log) { return changeAccess(token, false, log); }

}  // namespace platform
