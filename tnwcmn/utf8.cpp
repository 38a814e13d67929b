#include "tnwcmn/utf8.h"

namespace tnw::utf8 {

char32_t decode(const char*& p, const char* end, bool* valid) {
  const common::utf8::Sequence s = common::utf8::read(p, end);
  if (valid && s.status != common::utf8::Status::kWellFormed) *valid = false;
  p += s.length;
  return s.codePoint;
}

void append(std::string& out, char32_t cp) { common::utf8::append(out, cp); }

bool isAscii(std::string_view in) {
  for (char c : in)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

size_t sanitize(std::string_view in, std::string& out) {
  out.clear();
  if (isAscii(in)) {
    out.assign(in);
    return 0;
  }
  out.reserve(in.size());
  size_t bad = 0;
  const char* p = in.data();
  const char* end = p + in.size();
  while (p < end) {
    const char* start = p;
    bool ok = true;
    char32_t cp = decode(p, end, &ok);
    if (ok) {
      out.append(start, p);
    } else {
      ++bad;
      append(out, cp);
    }
  }
  return bad;
}

int32_t countChars(std::string_view in) {
  int32_t n = 0;
  const char* p = in.data();
  const char* end = p + in.size();
  while (p < end) {
    if (static_cast<unsigned char>(*p) < 0x80) {
      ++p;
    } else {
      decode(p, end);
    }
    ++n;
  }
  return n;
}

std::string fromUtf16(const char16_t* data, size_t units) { return common::utf8::fromUtf16({data, units}); }

std::u16string toUtf16(std::string_view in) { return common::utf8::toUtf16(in); }

}  // namespace tnw::utf8
