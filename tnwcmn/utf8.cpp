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

std::string fromUtf16(const char16_t* data, size_t units) {
  std::string out;
  out.reserve(units);
  for (size_t i = 0; i < units; ++i) {
    char32_t c = data[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 < units && data[i + 1] >= 0xDC00 && data[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (data[i + 1] - 0xDC00);
        ++i;
      } else {
        c = kReplacement;
      }
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      c = kReplacement;
    }
    append(out, c);
  }
  return out;
}

std::u16string toUtf16(std::string_view in) {
  std::u16string out;
  out.reserve(in.size());
  const char* p = in.data();
  const char* end = p + in.size();
  while (p < end) {
    char32_t cp = decode(p, end);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

}  // namespace tnw::utf8
