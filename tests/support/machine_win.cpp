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

void setMachineDword(const std::string& keyPath, const std::string& name, uint32_t value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, platform::toWide(keyPath).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return;
  const DWORD data = value;
  RegSetValueExW(key, platform::toWide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                 sizeof data);
  RegCloseKey(key);
}

void removeMachineKey(const std::string& keyPath) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, platform::toWide(keyPath).c_str());
}

SavedMachineValueC::SavedMachineValueC(const std::string& keyPath, const std::string& name)
    : keyPath_(keyPath), name_(name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, platform::toWide(keyPath).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return;
  const std::wstring wname = platform::toWide(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, wname.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    data_.resize(size);
    existed_ = RegQueryValueExW(key, wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data_.data()), &size) ==
               ERROR_SUCCESS;
    data_.resize(size);
    type_ = type;
  }
  RegCloseKey(key);
}

SavedMachineValueC::~SavedMachineValueC() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, platform::toWide(keyPath_).c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return;
  const std::wstring wname = platform::toWide(name_);
  if (existed_)
    RegSetValueExW(key, wname.c_str(), 0, type_, reinterpret_cast<const BYTE*>(data_.data()),
                   static_cast<DWORD>(data_.size()));
  else
    RegDeleteValueW(key, wname.c_str());
  RegCloseKey(key);
}

bool runningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace test_support
