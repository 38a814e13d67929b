#include <windows.h>

#include <cstdio>

#include "platform/dynlib.h"
#include "platform/wide.h"

namespace platform {

LibraryHandle loadLibrary(const std::string& path, uint32_t* error, std::string* message) {
  HMODULE h = LoadLibraryW(toWide(path).c_str());
  const DWORD code = h ? 0 : GetLastError();
  if (error) *error = code;
  if (!h && message) {
    wchar_t* msg = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&msg), 0, nullptr);
    std::string text = msg ? fromWide(msg, wcslen(msg)) : std::string();
    if (msg) LocalFree(msg);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    char head[32];
    std::snprintf(head, sizeof head, "error %lu", static_cast<unsigned long>(code));
    *message = text.empty() ? std::string(head) : std::string(head) + ": " + text;
  }
  return reinterpret_cast<LibraryHandle>(h);
}

void* findSymbol(LibraryHandle library, const std::string& name) {
  if (!library || name.empty()) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}

void freeLibrary(LibraryHandle library) {
  if (library) FreeLibrary(static_cast<HMODULE>(library));
}

bool unloadHoldsLoaderLock() { return true; }

}  // namespace platform
