#include <windows.h>

#include <mutex>

#include "platform/module.h"
#include "platform/wide.h"
#include "platform/win32_error.h"

namespace platform {

namespace {

using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);

struct VersionApiC {
  SizeFn size = nullptr;
  InfoFn info = nullptr;
};

// version.dll stays loaded for the process once it was needed.
const VersionApiC& versionApi() {
  static const VersionApiC api = [] {
    VersionApiC a;
    if (HMODULE lib = LoadLibraryW(L"version.dll")) {
      a.size = reinterpret_cast<SizeFn>(reinterpret_cast<void*>(GetProcAddress(lib, "GetFileVersionInfoSizeW")));
      a.info = reinterpret_cast<InfoFn>(reinterpret_cast<void*>(GetProcAddress(lib, "GetFileVersionInfoW")));
    }
    return a;
  }();
  return api;
}

}  // namespace

ModuleHandle moduleContaining(const void* address) {
  HMODULE module = nullptr;
  if (!address || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                          GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                      static_cast<LPCWSTR>(address), &module))
    return nullptr;
  return module;
}

std::string moduleFileName(ModuleHandle module) {
  if (!module) return "";
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetModuleFileNameW(static_cast<HMODULE>(module), buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "";
  return fromWide(buffer, n);
}

uint32_t readVersionResource(const std::string& path, std::vector<uint8_t>& block) {
  block.clear();
  const VersionApiC& api = versionApi();
  if (!api.size || !api.info) return kErrorModNotFound;
  const std::wstring wide = toWide(path);
  DWORD ignored = 0;
  const DWORD size = api.size(wide.c_str(), &ignored);
  if (size == 0) return GetLastError() ? GetLastError() : kErrorResourceTypeNotFound;
  block.resize(size);
  if (!api.info(wide.c_str(), 0, size, block.data())) {
    const DWORD code = GetLastError();
    block.clear();
    return code ? code : kErrorResourceTypeNotFound;
  }
  return kErrorSuccess;
}

bool registerLinkedVersionBlock(const void*, size_t) { return true; }

OsVersionC osVersion() {
  OsVersionC v;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (GetVersionExA(&info)) {
    v.platformId = info.dwPlatformId;
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    v.build = info.dwBuildNumber;
  }
  return v;
}

std::string currentDirectory() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
  if (n == 0 || n >= MAX_PATH) return "";
  return fromWide(buffer, n);
}

std::string windowsDirectory() {
  wchar_t buffer[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "C:\\WINDOWS";
  return fromWide(buffer, n);
}

}  // namespace platform
