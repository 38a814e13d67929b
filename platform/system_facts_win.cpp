#include <windows.h>

#include "platform/system_facts.h"
#include "platform/wide.h"

namespace platform {

namespace {

template <typename F>
uint32_t wideText(std::string& out, F call) {
  wchar_t buf[MAX_PATH + 1];
  DWORD size = MAX_PATH + 1;
  if (!call(buf, &size)) return GetLastError();
  out = fromWide(buf, size);
  return kErrorSuccess;
}

// The directory calls answer a length, 0 on failure.
template <typename F>
uint32_t directory(std::string& out, F call) {
  wchar_t buf[MAX_PATH + 1];
  const UINT n = call(buf, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return n == 0 ? GetLastError() : kErrorFilenameExcedRange;
  out = fromWide(buf, n);
  return kErrorSuccess;
}

bool tokenHas(WELL_KNOWN_SID_TYPE type, bool userOnly) {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  if (!CreateWellKnownSid(type, nullptr, sid, &size)) return false;
  if (!userOnly) {
    BOOL member = FALSE;
    return CheckTokenMembership(nullptr, sid, &member) && member;
  }
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  BYTE user[256];
  DWORD len = 0;
  const bool ok = GetTokenInformation(token, TokenUser, user, sizeof user, &len) &&
                  EqualSid(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, sid);
  CloseHandle(token);
  return ok;
}

}  // namespace

uint32_t computerName(std::string& out) {
  return wideText(out, [](wchar_t* b, DWORD* n) { return GetComputerNameW(b, n); });
}

uint32_t computerDnsName(std::string& out) {
  return wideText(out, [](wchar_t* b, DWORD* n) {
    return GetComputerNameExW(ComputerNamePhysicalDnsFullyQualified, b, n);
  });
}

uint32_t computerDomain(std::string& out) {
  return wideText(out, [](wchar_t* b, DWORD* n) { return GetComputerNameExW(ComputerNameDnsDomain, b, n); });
}

uint32_t userName(std::string& out) {
  uint32_t e = wideText(out, [](wchar_t* b, DWORD* n) { return GetUserNameW(b, n); });
  // The size counts the terminator.
  if (e == kErrorSuccess && !out.empty() && out.back() == '\0') out.pop_back();
  return e;
}

bool userIsAdmin() { return tokenHas(WinBuiltinAdministratorsSid, false); }
bool userIsSystem() { return tokenHas(WinLocalSystemSid, true); }

bool environmentVariable(const char* name, std::string& out) {
  const std::wstring wname = toWide(name);
  const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (n == 0) return false;
  std::wstring buf(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(wname.c_str(), buf.data(), n);
  if (got == 0 || got >= n) return false;
  out = fromWide(buf.data(), got);
  return true;
}

uint32_t systemDirectory(std::string& out) { return directory(out, GetSystemDirectoryW); }

uint32_t systemX86Directory(std::string& out) {
  if (directory(out, GetSystemWow64DirectoryW) == kErrorSuccess) return kErrorSuccess;
  return systemDirectory(out);
}

uint32_t tempDirectory(std::string& out) {
  wchar_t buf[MAX_PATH + 2];
  const DWORD n = GetTempPathW(MAX_PATH + 2, buf);
  if (n == 0 || n > MAX_PATH + 1) return n == 0 ? GetLastError() : kErrorFilenameExcedRange;
  out = fromWide(buf, n);
  if (out.size() > 3 && out.back() == '\\') out.pop_back();
  return kErrorSuccess;
}

const char* nativeArchitecture() {
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64: return "x86_64";
    case PROCESSOR_ARCHITECTURE_IA64: return "ia64";
    case PROCESSOR_ARCHITECTURE_INTEL: return "i386";
    default: return "unknown";
  }
}

}  // namespace platform
