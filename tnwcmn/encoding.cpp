#include "tnwcmn/encoding.h"

#include <cstring>

#include "tnwcmn/utf8.h"

namespace tnw::encoding {

namespace {
bool same(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return *a == *b;
}
}  // namespace

Kind parse(const char* name) {
  if (!name) return Kind::kUnknown;
  if (same(name, "ascii")) return Kind::kAscii;
  if (same(name, "system-8")) return Kind::kSystem8;
  if (same(name, "utf8") || same(name, "utf-8")) return Kind::kUtf8;
  if (same(name, "wchar_t")) return Kind::kWide;
  return Kind::kUnknown;
}

bool decode(Kind kind, const void* data, int32_t length, std::string& out) {
  out.clear();
  if (kind == Kind::kUnknown) return false;
  if (!data) return true;
  if (kind == Kind::kWide) {
    const auto* w = static_cast<const char16_t*>(data);
    size_t n = 0;
    if (length < 0) {
      while (w[n]) ++n;
    } else {
      n = static_cast<size_t>(length);
    }
    out = utf8::fromUtf16(w, n);
    return true;
  }
  const auto* s = static_cast<const char*>(data);
  std::string_view in(s, length < 0 ? std::strlen(s) : static_cast<size_t>(length));
  switch (kind) {
    case Kind::kAscii:
      out.reserve(in.size());
      for (char c : in) {
        if (static_cast<unsigned char>(c) < 0x80)
          out.push_back(c);
        else
          utf8::append(out, utf8::kReplacement);
      }
      return true;
    case Kind::kUtf8:
      utf8::sanitize(in, out);
      return true;
    case Kind::kSystem8:
      out = system8::decode(in);
      return true;
    default:
      return false;
  }
}

bool encode(Kind kind, std::string_view in, std::string& out) {
  out.clear();
  switch (kind) {
    case Kind::kUtf8:
      out.assign(in);
      return true;
    case Kind::kAscii: {
      const char* p = in.data();
      const char* end = p + in.size();
      while (p < end) {
        char32_t cp = utf8::decode(p, end);
        out.push_back(cp < 0x80 ? static_cast<char>(cp) : '~');
      }
      return true;
    }
    case Kind::kWide: {
      std::u16string w = utf8::toUtf16(in);
      out.assign(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(char16_t));
      return true;
    }
    case Kind::kSystem8:
      out = system8::encode(in);
      return true;
    default:
      return false;
  }
}

}  // namespace tnw::encoding
