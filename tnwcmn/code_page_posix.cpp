#include <errno.h>
#include <iconv.h>

#include "tnwcmn/code_page.h"
#include "tnwcmn/utf8.h"

namespace tnw::codepage {

namespace {

iconv_t openFrom(uint32_t number) {
  if (!isAnsi(number)) return reinterpret_cast<iconv_t>(-1);
  return iconv_open("UTF-8", ("CP" + std::to_string(number)).c_str());
}

}  // namespace

bool known(uint32_t number) {
  iconv_t cd = openFrom(number);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
}

void decode(uint32_t number, std::string_view bytes, std::string& out, std::vector<size_t>& bad) {
  out.clear();
  if (utf8::isAscii(bytes)) {
    out.assign(bytes);
    return;
  }
  iconv_t cd = openFrom(number);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (static_cast<unsigned char>(bytes[i]) < 0x80) {
        out.push_back(bytes[i]);
      } else {
        utf8::append(out, utf8::kReplacement);
        bad.push_back(i);
      }
    }
    return;
  }
  out.reserve(bytes.size() * 2);
  char* in = const_cast<char*>(bytes.data());  // iconv's signature; it never writes there
  size_t inLeft = bytes.size();
  char buf[512];
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, o);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // EILSEQ (no character starts here) or EINVAL (cut off at the end).
      bad.push_back(static_cast<size_t>(in - bytes.data()));
      utf8::append(out, utf8::kReplacement);
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
}

}  // namespace tnw::codepage
