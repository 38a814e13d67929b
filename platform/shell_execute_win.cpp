#include <windows.h>
#include <shellapi.h>

#include "platform/shell_execute.h"

namespace platform {

namespace {

// The 32-bit structure is what the launch was written against.
static_assert(sizeof(void*) != 4 || sizeof(SHELLEXECUTEINFOA) == 60);

// shell32 is loaded when the shell is first wanted, so that the library
// imports no more than the system's core DLLs; it stays loaded.
using ShellExecuteExAFn = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);

struct Shell32 {
  ShellExecuteExAFn execute = nullptr;
  DWORD loadError = 0;
};

const Shell32& shell32() {
  static const Shell32 functions = [] {
    Shell32 f;
    HMODULE m = LoadLibraryW(L"shell32.dll");
    if (m) f.execute = reinterpret_cast<ShellExecuteExAFn>(reinterpret_cast<void*>(GetProcAddress(m, "ShellExecuteExA")));
    if (!f.execute) f.loadError = GetLastError() ? GetLastError() : kErrorModNotFound;
    return f;
  }();
  return functions;
}

}  // namespace

bool shellExecute(const std::string& file, const std::string& parameters, const std::string& directory,
                  int32_t showCommand, uint32_t* error) {
  if (!shell32().execute) {
    if (error) *error = shell32().loadError;
    return false;
  }
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = showCommand;
  if (!shell32().execute(&info)) {
    if (error) *error = GetLastError();
    return false;
  }
  if (info.hProcess) CloseHandle(info.hProcess);
  if (error) *error = 0;
  return true;
}

uint32_t shortPathName(const std::string& path, std::string* shortPath) {
  char buffer[MAX_PATH];
  const DWORD n = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  if (n == 0) return GetLastError();
  if (n >= MAX_PATH) return kErrorInsufficientBuffer;
  if (shortPath) shortPath->assign(buffer, n);
  return 0;
}

}  // namespace platform
