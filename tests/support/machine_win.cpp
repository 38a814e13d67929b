#include <windows.h>

#include "platform/wide.h"
#include "test_support.h"

namespace test_support {

void setEnv(const char* name, const std::string& value) {
  SetEnvironmentVariableW(platform::toWide(name).c_str(), platform::toWide(value).c_str());
  _putenv_s(name, value.c_str());
}

void unsetEnv(const char* name) {
  SetEnvironmentVariableW(platform::toWide(name).c_str(), nullptr);
  _putenv_s(name, "");
}

OtherProcessC::OtherProcessC() {
  wchar_t self[MAX_PATH];
  if (!GetModuleFileNameW(nullptr, self, MAX_PATH)) return;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi)) return;
  CloseHandle(pi.hThread);
  process_ = reinterpret_cast<intptr_t>(pi.hProcess);
  mainThreadId_ = pi.dwThreadId;
}

OtherProcessC::~OtherProcessC() {
  if (!process_) return;
  HANDLE h = reinterpret_cast<HANDLE>(process_);
  TerminateProcess(h, 0);
  WaitForSingleObject(h, 5000);
  CloseHandle(h);
}

void setMachineString(const std::string& keyPath, const std::string& name, const std::string& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, platform::toWide(keyPath).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return;
  const std::wstring w = platform::toWide(value);
  RegSetValueExW(key, platform::toWide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(w.c_str()),
                 static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

void removeMachineKey(const std::string& keyPath) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, platform::toWide(keyPath).c_str());
}

}  // namespace test_support
