#include <windows.h>

#include "tnwcmn/code_page.h"
#include "tnwcmn/utf8.h"

namespace tnw::codepage {

bool known(uint32_t number) {
  CPINFO info;
  return isAnsi(number) && IsValidCodePage(number) && GetCPInfo(number, &info) && info.MaxCharSize <= 2;
}

void decode(uint32_t number, std::string_view bytes, std::string& out, std::vector<size_t>& bad) {
  out.clear();
  if (utf8::isAscii(bytes)) {
    out.assign(bytes);
    return;
  }
  const bool usable = known(number);
  // One character at a time, so that a bad byte is found and only it is lost.
  std::u16string wide;
  wide.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      wide.push_back(b);
      ++i;
      continue;
    }
    const size_t length = usable && IsDBCSLeadByteEx(number, b) ? 2 : 1;
    wchar_t unit[2];
    const int units = usable && i + length <= bytes.size()
                          ? MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, bytes.data() + i,
                                                static_cast<int>(length), unit, 2)
                          : 0;
    if (units <= 0) {
      wide.push_back(static_cast<char16_t>(utf8::kReplacement));
      bad.push_back(i);
      ++i;
      continue;
    }
    wide.append(reinterpret_cast<const char16_t*>(unit), static_cast<size_t>(units));
    i += length;
  }
  out = utf8::fromUtf16(wide.data(), wide.size());
}

}  // namespace tnw::codepage
