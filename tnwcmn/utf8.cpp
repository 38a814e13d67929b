#include "tnwcmn/utf8.h"

namespace tnw::utf8 {

char32_t decode(const char*& p, const char* end, bool* valid) {
  auto bad = [&](const char* next) {
    if (valid) *valid = false;
    p = next;
    return kReplacement;
  };
  const auto b0 = static_cast<unsigned char>(*p);
  if (b0 < 0x80) {
    ++p;
    return b0;
  }
  int extra;
  char32_t cp;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1, cp = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2, cp = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    return bad(p + 1);
  }
  const char* q = p + 1;
  for (int i = 0; i < extra; ++i, ++q) {
    if (q >= end || (static_cast<unsigned char>(*q) & 0xC0) != 0x80) return bad(q);
    cp = (cp << 6) | (static_cast<unsigned char>(*q) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return bad(q);
  p = q;
  return cp;
}

void append(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

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
