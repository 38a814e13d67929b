#include <windows.h>

#include <cctype>

#include "tnwcmn/locale_source.h"
#include "tnwcmn/utf8.h"

namespace tnw::locale_source {

namespace {
std::string info(LCID lcid, LCTYPE type) {
  wchar_t buf[32];
  int n = GetLocaleInfoW(lcid, type, buf, 32);
  if (n <= 1) return std::string();
  return utf8::fromUtf16(reinterpret_cast<const char16_t*>(buf), static_cast<size_t>(n - 1));
}
}  // namespace

Facts read(int which) {
  const LCID lcid = which == 1 ? LOCALE_SYSTEM_DEFAULT : LOCALE_USER_DEFAULT;
  Facts f;
  f.language = info(lcid, LOCALE_SISO639LANGNAME);
  f.alternative = info(lcid, LOCALE_SISO639LANGNAME2);
  f.region = info(lcid, LOCALE_SISO3166CTRYNAME);
  if (f.language.empty()) f.language = "en";
  for (char& c : f.language) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : f.alternative) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (f.alternative.empty()) f.alternative = alternativeOf(f.language);
  return f;
}

}  // namespace tnw::locale_source
