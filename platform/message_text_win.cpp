#include <windows.h>

#include "platform/message_text.h"
#include "platform/wide.h"

namespace platform {

namespace {

std::string fromTable(DWORD flags, HMODULE module, uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, module, code,
                                 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = (n && buffer) ? std::wstring(buffer, n) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'\t'))
    text.pop_back();
  return fromWide(text.data(), text.size());
}

}  // namespace

std::string systemMessageText(uint32_t code, LibraryHandle module) {
  if (module) {
    std::string text = fromTable(FORMAT_MESSAGE_FROM_HMODULE, static_cast<HMODULE>(module), code);
    if (!text.empty()) return text;
  }
  return fromTable(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
}

}  // namespace platform
