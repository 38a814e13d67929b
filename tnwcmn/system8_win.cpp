#include <windows.h>

#include <atomic>

#include "tnwcmn/encoding.h"
#include "tnwcmn/utf8.h"

namespace tnw::system8 {

namespace {
// Some code pages (UTF-8, the ISO-2022 family, GB18030, ...) refuse the
// flags and the default character. After the first refusal the process
// converts without them (those code pages represent every character, so no
// "~" is lost there).
bool refusesFlags(DWORD error) { return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FLAGS; }

std::atomic<DWORD> encodeFlags{WC_COMPOSITECHECK | WC_DEFAULTCHAR};
}  // namespace

std::string decode(std::string_view bytes) {
  std::string out;
  if (bytes.empty()) return out;
  if (utf8::isAscii(bytes)) return std::string(bytes);
  const int n = static_cast<int>(bytes.size());
  const DWORD flags = 0;
  const int units = MultiByteToWideChar(CP_THREAD_ACP, flags, bytes.data(), n, nullptr, 0);
  if (units <= 0) {
    utf8::sanitize(bytes, out);
    return out;
  }
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(CP_THREAD_ACP, flags, bytes.data(), n, reinterpret_cast<wchar_t*>(wide.data()), units);
  return utf8::fromUtf16(wide.data(), wide.size());
}

std::string encode(std::string_view text) {
  if (utf8::isAscii(text)) return std::string(text);
  std::u16string wide = utf8::toUtf16(text);
  const auto* w = reinterpret_cast<const wchar_t*>(wide.data());
  const int n = static_cast<int>(wide.size());
  DWORD flags = encodeFlags.load();
  const char* defaultChar = flags ? "~" : nullptr;
  int bytes = WideCharToMultiByte(CP_THREAD_ACP, flags, w, n, nullptr, 0, defaultChar, nullptr);
  if (bytes == 0 && flags != 0 && refusesFlags(GetLastError())) {
    encodeFlags.store(0);
    flags = 0;
    defaultChar = nullptr;
    bytes = WideCharToMultiByte(CP_THREAD_ACP, flags, w, n, nullptr, 0, nullptr, nullptr);
  }
  std::string out;
  if (bytes <= 0) {
    for (char c : text) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '~');
    return out;
  }
  out.resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_THREAD_ACP, flags, w, n, out.data(), bytes, defaultChar, nullptr);
  return out;
}

}  // namespace tnw::system8
