#include <windows.h>

#include "tnwcmn/os.h"
#include "tnwcmn/utf8.h"

namespace tnw::os {

uint32_t currentThreadId() { return GetCurrentThreadId(); }

void utcTime(std::time_t t, std::tm& out) { gmtime_s(&out, &t); }

std::string env(const char* name) {
  std::u16string wname = utf8::toUtf16(name);
  wchar_t buf[2048];
  DWORD n = GetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(wname.c_str()), buf, 2048);
  if (n == 0 || n >= 2048) return std::string();
  return utf8::fromUtf16(reinterpret_cast<const char16_t*>(buf), n);
}

}  // namespace tnw::os
